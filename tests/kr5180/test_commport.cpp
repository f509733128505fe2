// The port dialog and the search for the radio's port.
#include "main_fixture.h"

#include "commport.h"

#include <platform/window.h>

#include <QComboBox>

using namespace k5test;

namespace {

QComboBox* Combo(QWidget* w, const char* name)
{
    return w->findChild<QComboBox*>(QString::fromLatin1(name));
}

QPushButton* Button(QWidget* w, const char* name)
{
    return w->findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

// ---- the dialog on its own ----

TEST(CommPortDialog, OpensOnTheRecordsPortAndBaudOrOnTheirDefaults)
{
    struct Case {
        int port, baud;
        const char* shownPort;
        const char* shownBaud;
    };
    for (Case c : {Case{8, 19200, "COM8", "19200"}, Case{0, 4800, "COM1", "4800"}, Case{9, 38400, "COM1", "38400"},
                   Case{-1, 1234, "COM1", "9600"}}) {
        SCOPED_TRACE(c.port);
        PortSettings s{c.port, c.baud, 8, 0, 1};
        TfrmCommPort dlg(nullptr, &s);
        EXPECT_EQ(Combo(&dlg, "comboPortName")->currentText(), c.shownPort);
        EXPECT_EQ(Combo(&dlg, "comboBaud")->currentText(), c.shownBaud);
    }
}

TEST(CommPortDialog, IsWideEnoughForItsWholeCaption)
{
    PortSettings s;
    TfrmCommPort dlg(nullptr, &s);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Communication Parameters");
    EXPECT_GE(dlg.width(), platform::CaptionWidth(&dlg));
}

TEST(CommPortDialog, DefaultsThenCancelChangesNothing)
{
    PortSettings u{5, 19200, 8, 0, 1};
    TfrmCommPort dlg(nullptr, &u);
    Button(&dlg, "btnDefaults")->click();
    EXPECT_EQ(Combo(&dlg, "comboPortName")->currentText(), "COM1");
    EXPECT_EQ(Combo(&dlg, "comboBaud")->currentText(), "9600");
    Button(&dlg, "btnCancel")->click();
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(u.portNumber, 5);
    EXPECT_EQ(u.baudRate, 19200);
}

// ---- the dialog from the main window ----

class CommPortMenuTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        writeDefaultFile(Pattern(30));
    }

    // Opens "Comm Port ...", lets `act` work on the dialog, and waits until it has closed.
    void runDialog(std::function<void(QWidget*)> act)
    {
        testsupport::ModalHandler handler(std::move(act), 3000);
        action("mnCommPort")->trigger();
        EXPECT_TRUE(handler.ran());
    }
};

TEST_F(CommPortMenuTest, OkReopensOnTheChosenPortCancelLeavesItOpen)
{
    addSim(1);
    testsupport::Kr5180Sim& radio3 = addSim(3);
    writeRegistry(1, 4800);
    start();
    ASSERT_EQ(win->PanelText(0), "COM1: 4800,8,N,1");

    runDialog([](QWidget* w) {
        Combo(w, "comboPortName")->setCurrentIndex(1);
        Button(w, "btnCancel")->click();
    });
    EXPECT_TRUE(serialPort->SerialPortIsOpen());
    EXPECT_EQ(win->portSettings.portNumber, 1);

    runDialog([](QWidget* w) {
        Combo(w, "comboPortName")->setCurrentIndex(2);
        Button(w, "btnOK")->click();
    });
    EXPECT_STREQ(serialPort->PortName(), "COM3");
    EXPECT_EQ(serialPort->BaudRate(), 9600);
    EXPECT_EQ(win->PanelText(0), "COM3: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
    EXPECT_EQ(radioCmd->QueryVersion(), 0);
    EXPECT_EQ(radio3.requestCount(), 1);
    EXPECT_TRUE(boxes.boxes().empty());

    int port = 0, baud = 0;
    win.reset();
    ASSERT_TRUE(readRegistry(port, baud));
    EXPECT_EQ(port, 3);
    EXPECT_EQ(baud, 9600);
}

TEST_F(CommPortMenuTest, APortThatWillNotOpenIsReportedAndNoSelectionOpensNothing)
{
    addSim(1);
    start();
    boxes.expect(platform::IDOK);
    runDialog([&](QWidget* w) {
        // Each item's tooltip names the device behind it, or that nothing is there.
        QComboBox* ports = Combo(w, "comboPortName");
        EXPECT_EQ(ports->itemData(0, Qt::ToolTipRole).toString().toStdString(), sims[0]->slavePath());
        EXPECT_EQ(ports->itemData(1, Qt::ToolTipRole).toString().toStdString(), NoPort(2) + " (not present)");
        ports->setCurrentIndex(1); // COM2 leads nowhere
        Button(w, "btnOK")->click();
    });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Unable to open COM2", "Error", 0x30);
    EXPECT_EQ(boxes.boxes()[0].detail.toStdString(),
              "COM2 is " + NoPort(2) + ".\nNot present: see the README's Serial ports.");
    EXPECT_EQ(win->PanelText(1), "Disconnected");

    runDialog([](QWidget* w) {
        Combo(w, "comboPortName")->setCurrentIndex(-1);
        Button(w, "btnOK")->click();
    });
    EXPECT_EQ(boxes.boxes().size(), 1u) << "port 0 opens nothing and says nothing";
    EXPECT_EQ(win->portSettings.portNumber, 0);
    EXPECT_TRUE(win->PanelText(0).startsWith(": "));
    EXPECT_EQ(win->PanelText(1), "Disconnected");
}

// ---- auto detect ----

TEST_F(CommPortMenuTest, AutoDetectFindsTheRadioBehindTwoSilentPorts)
{
    testsupport::Kr5180Sim& silent1 = addSim(1);
    testsupport::Kr5180Sim& silent2 = addSim(2);
    testsupport::Kr5180Sim& radio = addSim(3);
    testsupport::Kr5180Sim& after = addSim(4);
    silent1.setSilent(true);
    silent2.setSilent(true);
    radio.setVersion(2, 0x11, 'B');
    start(300);
    ASSERT_STREQ(serialPort->PortName(), "COM1");

    boxes.expect(platform::IDOK);
    action("mnAutoDetect")->trigger();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Radio found on COM3.", "Auto Detect", 0);

    EXPECT_EQ(silent1.requests(), std::vector<Bytes>{Bytes{0x80}});
    EXPECT_EQ(silent2.requests(), std::vector<Bytes>{Bytes{0x80}});
    EXPECT_EQ(radio.requests(), std::vector<Bytes>{Bytes{0x80}});
    EXPECT_EQ(after.requestCount(), 0) << "the search stops at the first answer";
    EXPECT_STREQ(serialPort->PortName(), "COM3");
    EXPECT_EQ(win->portSettings.portNumber, 3);
    EXPECT_EQ(win->PanelText(0), "COM3: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
    EXPECT_EQ(win->PanelText(2), "Firmware: v2.11B");
}

// After a search that finds nothing the chosen port is open again, not the last one tried.
TEST_F(CommPortMenuTest, AutoDetectWithoutARadioReturnsToTheConfiguredPort)
{
    testsupport::Kr5180Sim& silent2 = addSim(2);
    testsupport::Kr5180Sim& silent8 = addSim(8);
    silent2.setSilent(true);
    silent8.setSilent(true);
    writeRegistry(2, 9600);
    start(300);
    ASSERT_STREQ(serialPort->PortName(), "COM2");

    boxes.expect(platform::IDOK);
    action("mnAutoDetect")->trigger();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Radio not found.", "Auto Detect", 0x30);
    EXPECT_EQ(silent2.requestCount(), 1);
    EXPECT_EQ(silent8.requestCount(), 1);
    EXPECT_EQ(win->portSettings.portNumber, 2);
    EXPECT_TRUE(serialPort->SerialPortIsOpen());
    EXPECT_STREQ(serialPort->PortName(), "COM2");
    EXPECT_EQ(win->PanelText(0), "COM2: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Connected");
    EXPECT_EQ(win->PanelText(2), "Firmware: ");

    // A chosen port that no longer opens stays closed, and the status bar says so.
    mapPort(2, NoPort(2));
    boxes.clear();
    boxes.expect(platform::IDOK);
    action("mnAutoDetect")->trigger();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Radio not found.", "Auto Detect", 0x30);
    EXPECT_EQ(silent8.requestCount(), 2);
    EXPECT_FALSE(serialPort->SerialPortIsOpen());
    EXPECT_EQ(win->PanelText(0), "COM2: 9600,8,N,1");
    EXPECT_EQ(win->PanelText(1), "Disconnected");
}
