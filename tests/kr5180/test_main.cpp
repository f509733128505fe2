// Main window: start-up, port settings in the registry, .mem files and the
// engineering build switch.
#include "main_fixture.h"
#include "support/disk_full.h"
#include "support/named_pipe.h"

#include "about.h"
#include "monitor.h"

#include <QLabel>
#include <QMenu>


using namespace k5test;

// ---- start-up and the registry ----

TEST_F(MainWindowTest, FirstRunOpensCom1At9600AndCreatesTheKeyAtExit)
{
    addSim(1);
    const Bytes def = Pattern(1);
    writeDefaultFile(def);
    start();

    EXPECT_STREQ(serialPort->PortName(), "COM1");
    EXPECT_EQ(serialPort->BaudRate(), 9600);
    EXPECT_EQ(win->PanelText(0), "COM1: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
    EXPECT_EQ(win->DataSource, TfrmMain::SourceFile);
    EXPECT_EQ(image(), def);
    EXPECT_TRUE(boxes.boxes().empty());

    int port = 0, baud = 0;
    EXPECT_FALSE(readRegistry(port, baud)) << "the registry is written only at exit";
    bool closed = false;
    QObject::connect(win.get(), &TfrmMain::formClosed, [&] { closed = true; });
    action("mnuFileExit")->trigger();
    EXPECT_TRUE(closed);
    EXPECT_EQ(serialPort, nullptr);
    EXPECT_EQ(radioCmd, nullptr);
    EXPECT_EQ(eepromImage, nullptr);
    ASSERT_TRUE(readRegistry(port, baud));
    EXPECT_EQ(port, 1);
    EXPECT_EQ(baud, 9600);
}

TEST_F(MainWindowTest, StoredPortOutsideOneToEightStartsOnCom1)
{
    addSim(1);
    writeDefaultFile(Pattern(2));
    for (int stored : {0, 9}) {
        SCOPED_TRACE(stored);
        writeRegistry(stored, 9600);
        start();
        EXPECT_STREQ(serialPort->PortName(), "COM1");
        EXPECT_EQ(win->PanelText(1), "Connected");
        win.reset();
        int port = 0, baud = 0;
        ASSERT_TRUE(readRegistry(port, baud));
        EXPECT_EQ(port, 1);
    }
}

TEST_F(MainWindowTest, StoredBaudRateIsUsedAsStoredAndAHalfKeyIsIgnored)
{
    addSim(2);
    writeDefaultFile(Pattern(3));
    writeRegistry(2, 4800);
    start();
    EXPECT_STREQ(serialPort->PortName(), "COM2");
    EXPECT_EQ(serialPort->BaudRate(), 4800);
    EXPECT_EQ(win->PanelText(0), "COM2: 4800,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
    win.reset();

    // Only one of the two values readable: both are discarded.
    QFile ini(platform::TRegistry::FileForKey(QString::fromLatin1(PortRegistryKey)));
    ASSERT_TRUE(ini.open(QIODevice::ReadWrite | QIODevice::Text));
    const QByteArray text = ini.readAll().replace("BaudRate=4800", "BaudRate=not-a-number");
    ini.resize(0);
    ini.seek(0);
    ini.write(text);
    ini.close();
    boxes.expect(platform::IDOK); // COM1 is not mapped to anything
    start();
    EXPECT_EQ(win->PanelText(0), "COM1: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Disconnected");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to open COM1", "Error", 0x30);
}

TEST_F(MainWindowTest, AStoredBaudRateOutsideTheListStillOpensThePort)
{
    addSim(1);
    writeDefaultFile(Pattern(3));
    writeRegistry(1, 14400);
    start();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(serialPort->BaudRate(), 14400);
    EXPECT_EQ(win->PanelText(0), "COM1: 14400,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
}

TEST_F(MainWindowTest, MissingDefaultFileIsReportedAndLeavesNoData)
{
    addSim(1);
    boxes.expect(platform::IDOK);
    start();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to open file defkr5180.mem", "File Open Error", 0x30);
    EXPECT_EQ(win->PanelText(3), "No data loaded.");
    EXPECT_EQ(win->DataSource, TfrmMain::SourceNone);
    EXPECT_EQ(image(), Bytes(256, 0xFF));
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
}

// ---- files ----

class MainFileTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        addSim(1);
        writeDefaultFile(defaults);
        start();
        ASSERT_TRUE(boxes.boxes().empty());
    }
    const Bytes defaults = Pattern(10);
};

TEST_F(MainFileTest, ReadFromFileLoadsTheChosenFileAndPadsAShortOne)
{
    Bytes shortFile = Pattern(11);
    shortFile.resize(100);
    const QString path = workPath(QStringLiteral("short.mem"));
    WriteFileBytes(path, shortFile);

    QString preset;
    platform::SetFileDialogHook([&](platform::TFileDialog& d) {
        preset = d.FileName;
        d.FileName = path;
        return true;
    });
    click("btnReadFile");
    EXPECT_EQ(preset, "defkr5180.mem");
    Bytes expected(256, 0xFF);
    std::copy(shortFile.begin(), shortFile.end(), expected.begin());
    EXPECT_EQ(image(), expected);
    EXPECT_EQ(win->memFileName, path);
    EXPECT_EQ(win->PanelText(3), "File: " + path);

    // A long file: only the first 256 bytes count; the menu item does the same.
    Bytes longFile = Pattern(17);
    longFile.resize(300, 0x42);
    WriteFileBytes(path, longFile);
    action("mnuReadFile")->trigger();
    EXPECT_EQ(image(), Bytes(longFile.begin(), longFile.begin() + 256));
    EXPECT_EQ(preset, path) << "the dialog proposes the current file";
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainFileTest, ALongFileNameIsElidedInTheMiddleWithTheWholeNameInTheTooltip)
{
    const QString dir = workPath(QStringLiteral("dealer-programming/customer-fleet-configurations/northern-region"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/fleet-channel-plan-with-repeaters.mem");
    WriteFileBytes(path, Pattern(18));
    chooseFile(path);
    win->show();
    click("btnReadFile");

    const QString whole = "File: " + path;
    auto* panel = win->findChild<QLabel*>(QStringLiteral("StatusPanel3"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(win->PanelText(3), whole);
    EXPECT_EQ(panel->toolTip(), whole);
    // The start and the end of the text, joined by an ellipsis.
    const QString shown = panel->text();
    const qsizetype cut = shown.indexOf(QChar(0x2026));
    ASSERT_GT(cut, 0) << shown.toStdString();
    EXPECT_TRUE(whole.startsWith(shown.left(cut))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(".mem")) << shown.toStdString();
    EXPECT_TRUE(whole.endsWith(shown.mid(cut + 1))) << shown.toStdString();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown), panel->contentsRect().width());
}

TEST_F(MainFileTest, ReadFromFileCancelledOrFailingKeepsTheImage)
{
    platform::SetFileDialogHook([](platform::TFileDialog&) { return false; });
    click("btnReadFile");
    EXPECT_EQ(image(), defaults);
    EXPECT_TRUE(boxes.boxes().empty());

    const QString missing = workPath(QStringLiteral("gone.mem"));
    chooseFile(missing);
    boxes.expect(platform::IDOK);
    click("btnReadFile");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to open file " + missing, "File Open Error", 0x30);
    EXPECT_EQ(image(), defaults);
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
    EXPECT_EQ(win->DataSource, TfrmMain::SourceFile);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
}

TEST_F(MainFileTest, APipeChosenAsTheFileIsRefusedWithTheFileBox)
{
    const QString pipe = workPath(QStringLiteral("pipe.mem"));
    testsupport::NamedPipe fifo(pipe);
    chooseFile(pipe);
    boxes.expect(platform::IDOK);
    click("btnReadFile");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to open file " + pipe, "File Open Error", 0x30);
    EXPECT_EQ(fifo.waiting(), fifo.Size()) << "the pipe was read";
    EXPECT_EQ(image(), defaults);
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
}

TEST_F(MainFileTest, WriteToFileSavesTheWholeImageAddingTheExtension)
{
    QString preset = QStringLiteral("unset");
    platform::SetFileDialogHook([&](platform::TFileDialog& d) {
        preset = d.FileName;
        d.FileName = workPath(QStringLiteral("saved"));
        return true;
    });
    const Bytes edited = Pattern(12);
    setImage(edited);
    click("btnWriteFile");
    const QString saved = workPath(QStringLiteral("saved.mem"));
    EXPECT_TRUE(preset.isEmpty());
    EXPECT_EQ(ReadFileBytes(saved), edited);
    EXPECT_EQ(win->memFileName, saved);
    EXPECT_EQ(win->PanelText(3), "File: " + saved);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainFileTest, OverwritePromptCancelKeepsTheFileOkReplacesIt)
{
    const QString target = workPath(QStringLiteral("old.mem"));
    const Bytes old = Pattern(13);
    WriteFileBytes(target, old);
    chooseFile(target);
    const Bytes edited = Pattern(14);
    setImage(edited);

    boxes.expect(platform::IDCANCEL);
    click("btnWriteFile");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "File already exists. Overwrite?", "Saving Program File...", 0x31);
    EXPECT_EQ(ReadFileBytes(target), old);
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");

    boxes.expect(platform::IDOK);
    action("mnuFileWriteFile")->trigger();
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(ReadFileBytes(target), edited);
    EXPECT_EQ(win->memFileName, target);
}

TEST_F(MainFileTest, FailedSaveIsReportedAndChangesNothing)
{
    // The folder does not exist.
    const QString nowhere = workPath(QStringLiteral("no-dir/x.mem"));
    chooseFile(nowhere);
    boxes.expect(platform::IDOK);
    click("btnWriteFile");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to save file " + nowhere, "File Error", 0x30);
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
    EXPECT_EQ(win->DataSource, TfrmMain::SourceFile);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");

    // An existing file that cannot be replaced (the write runs out of room): the old
    // contents survive.
    const QString target = workPath(QStringLiteral("keep.mem"));
    const Bytes old = Pattern(15);
    WriteFileBytes(target, old);
    setImage(Pattern(16));
    chooseFile(target);
    boxes.clear();
    boxes.expect(platform::IDOK); // overwrite?
    boxes.expect(platform::IDOK); // the failure
    {
        testsupport::DiskFull full(16);
        click("btnWriteFile");
    }
    ASSERT_EQ(boxes.boxes().size(), 2u);
    ExpectBox(boxes.boxes()[1], "Unable to save file " + target, "File Error", 0x30);
    EXPECT_EQ(ReadFileBytes(target), old);
    EXPECT_EQ(win->memFileName, "defkr5180.mem");
}

// ---- the engineering build switch ----

TEST_F(MainWindowTest, DealerAndEngineeringBuildsShowTheirControlsAndTexts)
{
    writeDefaultFile(Pattern(20));
    addSim(1);
    struct Build {
        int value;
        const char* title;
        const char* version;
    };
    for (Build b : {Build{0, "Navar KR5180 Programmer  PV4420.1.00 ", "v1.00 "},
                    Build{1, "Navar KR5180 Programmer  PV4420E.1.00 ", "v1.00  (Engineering)"}}) {
        SCOPED_TRACE(b.value);
        EngineeringBuild = b.value;
        start();
        win->show();
        EXPECT_EQ(win->windowTitle().toStdString(), b.title);
        EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("lblVersion"))->text().toStdString(), b.version);

        const bool eng = b.value == 1;
        for (const char* name : {"btnEeprom", "btnEngineering"})
            EXPECT_EQ(button(name)->isVisible(), eng) << name;
        for (const char* name : {"mnuEditEeprom", "mnuEditEngineering", "mnuCommsCommsMonitor"})
            EXPECT_EQ(action(name)->isVisible(), eng) << name;
        EXPECT_FALSE(button("btnRemote")->isVisible() || button("btnDevelopment")->isVisible());
        EXPECT_FALSE(action("mnuEditRemote")->isVisible() || action("mnuEditDevelopment")->isVisible());
        EXPECT_TRUE(button("btnAlign")->isVisible() && button("btnReadRadio")->isVisible());
        QAction* firmware = action("FirmwareDetails1");
        ASSERT_NE(firmware, nullptr);
        EXPECT_EQ(firmware->text(), "Firmware Details...");
        EXPECT_FALSE(firmware->isVisible());
        EXPECT_TRUE(win->findChild<QMenu*>(QStringLiteral("mnuHelp"))->actions().contains(firmware));
        win.reset();
    }
}

// ---- Help and Comms menu windows ----

TEST_F(MainWindowTest, AboutOpensModalAndTheMonitorOpensModeless)
{
    writeDefaultFile(Pattern(22));
    addSim(1);
    EngineeringBuild = 1;
    start();
    TAboutBox about;
    AboutBox = &about;
    TfrmCommsMonitor monitor;
    frmCommsMonitor = &monitor;
    QWidget* shown = nullptr;
    testsupport::ModalHandler handler([&](QWidget* w) {
        shown = w;
        w->close();
    });
    action("About1")->trigger();
    EXPECT_EQ(shown, &about);

    action("mnuCommsCommsMonitor")->trigger();
    EXPECT_TRUE(monitor.isVisible());
    EXPECT_FALSE(monitor.isModal());
    monitor.hide();
    frmCommsMonitor = nullptr;
    AboutBox = nullptr;
}
