// The KR7260 main window: transfers to and from the radio and files, the port dialog,
// the editor protocol and the help pane, the about box.
// ctest-label: threaded
#include "about.h"
#include "com_port.h"
#include "editor.h"
#include "kr72wire.h"
#include "main.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "main_fixture.h"

#include "support/dialogs.h"
#include "support/focus.h"
#include "support/disk_full.h"
#include "support/kr7260_sim.h"
#include "support/named_pipe.h"
#include "support/pty.h"

#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/registry.h>
#include <platform/shell.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

using testsupport::Kr7260Sim;
using testsupport::MessageBoxResponder;
using testsupport::ModalHandler;
using testsupport::WaitFor;

namespace {

// Answers every file dialog with `fileName`, or cancels it when that is empty.
class FileDialogScript {
public:
    explicit FileDialogScript(const QString& fileName = {})
    {
        platform::SetFileDialogHook([this, fileName](platform::TFileDialog& d) {
            ++calls;
            overwritePrompt = d.OverwritePrompt;
            d.FileName = fileName;
            return !fileName.isEmpty();
        });
    }
    ~FileDialogScript() { platform::SetFileDialogHook({}); }
    int calls = 0;
    bool overwritePrompt = false;
};

// A small editor that follows the protocol: one bit of word 3 (through OptionBytes)
// and word 7 (in the image).
class TTestEditor : public TEditorForm {
public:
    TTestEditor()
    {
        auto* lay = new QVBoxLayout(this);
        chkSMeterEnabled = new QCheckBox("S-Meter enabled", this);
        spnLeadIn = new QSpinBox(this);
        spnLeadIn->setRange(0, 200);
        OKBtn = new QPushButton("OK", this);
        CancelBtn = new QPushButton("Cancel", this);
        HelpText = new QTextEdit(this);
        for (QWidget* w : std::initializer_list<QWidget*>{chkSMeterEnabled, spnLeadIn, OKBtn, CancelBtn, HelpText})
            lay->addWidget(w);
        BindOkCancel(OKBtn, CancelBtn);
        SetHelpPane(HelpText, OKBtn);
        Help->Bind(spnLeadIn, "Sets the lead-in delay.");
        Help->Bind(chkSMeterEnabled, QString()); // bound, but without a sentence
    }
    void LoadControls() override
    {
        ++loads;
        chkSMeterEnabled->setChecked(OptionBit(3, 0x0002));
        spnLeadIn->setValue(image().Get(7));
    }
    void StoreControls() override
    {
        SetOptionBit(3, 0x0002, chkSMeterEnabled->isChecked());
        image().Set(7, spnLeadIn->value());
    }
    QCheckBox* chkSMeterEnabled;
    QSpinBox* spnLeadIn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTextEdit* HelpText;
    int loads = 0;
};

class MainWindowTest : public k7test::PrivateFoldersTest {
protected:
    void SetUp() override
    {
        PrivateFoldersTest::SetUp();
        if (HasFatalFailure())
            return;
        QDir(tmp_.path()).mkpath("files");

        sim_ = std::make_unique<Kr7260Sim>(MapPty(1));
        MapPty(2);
        MapMissing(3);

        kr7260app::CreateForms();
        MessageBoxResponder boxes;
        boxes.answerAll(platform::IDOK); // the missing default file
        MainForm->FormShow();
        ASSERT_TRUE(frmSerial->PortOpen);
    }

    void TearDown() override
    {
        kr7260app::DestroyForms();
        sim_.reset();
        PrivateFoldersTest::TearDown();
    }

    QString FilePath(const QString& name) const { return tmp_.filePath("files/" + name); }

    static QByteArray ReadAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void FillImage(std::int32_t first)
    {
        for (int k = 0; k < 128; ++k)
            MainForm->RadioImage.Set(k, first + k);
    }
    // Waits for the transfer dialog to end, then presses "Close".
    static std::function<void(QWidget*)> CloseWhenDone(QString* action)
    {
        return [action](QWidget*) {
            WaitFor([] { return frmReadWrite->btnCancel->text() == "Close"; }, 30000);
            *action = frmReadWrite->lblAction->text();
            frmReadWrite->btnCancel->click();
        };
    }
    static void MouseMove(QWidget* w) { testsupport::MouseMove(w); }
    static void FocusIn(QWidget* w)
    {
        QFocusEvent ev(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(w, &ev);
    }

    std::unique_ptr<Kr7260Sim> sim_;
};

// ---------------------------------------------------------------- files

TEST_F(MainWindowTest, WriteToFileThenReadBackRestoresEveryElement)
{
    FillImage(0x7FFF0000); // upper halves set: they are kept in the file
    const QString path = FilePath("saved.mem");
    MessageBoxResponder boxes;
    {
        FileDialogScript dlg(path);
        MainForm->btnFileSave->click(); // no confirmation
        EXPECT_EQ(dlg.calls, 1);
        EXPECT_TRUE(dlg.overwritePrompt);
    }
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(MainForm->StatusText(0), "File loaded: " + path);
    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 512);
    EXPECT_EQ(std::uint8_t(bytes[4 * 3]), 3u);
    EXPECT_EQ(std::uint8_t(bytes[4 * 3 + 3]), 0x7Fu);

    FillImage(0);
    boxes.expect(platform::IDOK);
    {
        FileDialogScript dlg(path);
        MainForm->mnuFileOpen->trigger();
    }
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "All current data will be lost");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x21u);
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(MainForm->RadioImage.Get(k), 0x7FFF0000 + k);
}

TEST_F(MainWindowTest, ReadFromFileCancelledOrFailingChangesNothing)
{
    const QString path = FilePath("other.mem");
    FillImage(100);
    ASSERT_TRUE(MainForm->SaveImageFile(path));
    FillImage(5);
    MainForm->SetStatusText(0, "before");
    MessageBoxResponder boxes;
    {
        FileDialogScript dlg(path);
        boxes.expect(platform::IDCANCEL); // at the confirmation: no dialog
        MainForm->btnFileOpen->click();
        EXPECT_EQ(dlg.calls, 0);
    }
    {
        FileDialogScript dlg;
        boxes.expect(platform::IDOK);
        MainForm->btnFileOpen->click();
        EXPECT_EQ(dlg.calls, 1);
    }
    {
        FileDialogScript dlg(FilePath("missing.mem"));
        boxes.clear();
        boxes.expect(platform::IDOK); // confirmation
        boxes.expect(platform::IDOK); // the error
        MainForm->btnFileOpen->click();
    }
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "There is a problem reading the file");
    EXPECT_EQ(boxes.boxes()[1].caption, "File Error");
    EXPECT_EQ(boxes.boxes()[1].flags, 1u);
    EXPECT_EQ(MainForm->RadioImage.Get(0), 5);
    EXPECT_EQ(MainForm->RadioImage.Get(127), 5 + 127);
    EXPECT_EQ(MainForm->StatusText(0), "before");
}

TEST_F(MainWindowTest, APipeChosenInReadFromFileIsRefusedWithTheFileBox)
{
    FillImage(5);
    MainForm->SetStatusText(0, "before");
    const QString pipe = FilePath("pipe.mem");
    testsupport::NamedPipe fifo(pipe);
    MessageBoxResponder boxes;
    FileDialogScript dlg(pipe);
    boxes.expect(platform::IDOK); // confirmation
    boxes.expect(platform::IDOK); // the error
    MainForm->btnFileOpen->click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "There is a problem reading the file");
    EXPECT_EQ(boxes.boxes()[1].caption, "File Error");
    EXPECT_EQ(fifo.waiting(), fifo.Size()) << "the pipe was read";
    EXPECT_EQ(MainForm->RadioImage.Get(0), 5);
    EXPECT_EQ(MainForm->StatusText(0), "before");
}

TEST_F(MainWindowTest, FailedSaveKeepsThePreviousFile)
{
    const QString path = FilePath("keep.mem");
    FillImage(1000);
    ASSERT_TRUE(MainForm->SaveImageFile(path));
    const QByteArray before = ReadAll(path);
    FillImage(2000);
    MainForm->SetStatusText(0, "unchanged");

    // Writes past 256 bytes fail (EFBIG) while the limit holds.
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    bool ok = true;
    {
        testsupport::DiskFull full(256);
        FileDialogScript dlg(path);
        MainForm->btnFileSave->click();
        ok = MainForm->LastFileStatus() == TRadioImage::FileStatus::Ok;
    }

    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "There is a problem writing the file");
    EXPECT_EQ(boxes.boxes()[0].caption, "File Error");
    EXPECT_EQ(boxes.boxes()[0].flags, 1u);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(MainForm->StatusText(0), "unchanged");
}

// ---------------------------------------------------------------- radio transfers

TEST_F(MainWindowTest, ReadFromRadioFillsTheImageAndACancelledOneKeepsIt)
{
    sim_->setSilent(true);
    FillImage(40);
    MainForm->SetStatusText(0, "x");
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    {
        ModalHandler handler([](QWidget*) { frmReadWrite->btnCancel->click(); });
        MainForm->mnuReadRadio->trigger();
        ASSERT_TRUE(handler.ran());
    }
    EXPECT_EQ(boxes.boxes()[0].text, "All current edit data will be lost");
    EXPECT_EQ(MainForm->RadioImage.Get(0), 40);
    EXPECT_EQ(MainForm->StatusText(0), "Current Radio data loaded");

    ASSERT_TRUE(WaitFor([&] { return sim_->count(kr72wire::ExitProgramMode) == 1; }, 3000));
    sim_->clearLog();
    sim_->setSilent(false);
    std::array<std::uint16_t, 128> mem{};
    for (int k = 0; k < 128; ++k)
        mem[k] = std::uint16_t(0xA000 + 3 * k);
    sim_->setMemory(mem);
    boxes.expect(platform::IDOK);
    QString action;
    ModalHandler handler(CloseWhenDone(&action), 30000);
    MainForm->btnReadRadio->click();
    ASSERT_TRUE(handler.ran());
    EXPECT_EQ(action, "Data successfully read from radio!");
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(MainForm->RadioImage.Get(k), mem[k]) << "word " << k;
    EXPECT_EQ(MainForm->StatusText(0), "Current Radio data loaded");
    // Two enters, the version, blocks 0, 8, ..., 120 once each, the exit.
    ASSERT_TRUE(WaitFor([&] { return sim_->count(kr72wire::ExitProgramMode) == 1; }, 3000));
    WaitFor([] { return false; }, 700); // past the next tick: nothing more is sent
    using namespace kr72wire;
    std::vector<std::uint8_t> expected(3 + 16 + 1, ReadBlock);
    expected[0] = expected[1] = EnterProgramMode;
    expected[2] = Version;
    expected.back() = ExitProgramMode;
    EXPECT_EQ(sim_->commands(), expected);
    for (int b = 0; b <= 120; b += 8)
        EXPECT_EQ(sim_->count(kr72wire::ReadBlock, b), 1) << b;
    // The parser thread's version reaches the label.
    EXPECT_TRUE(WaitFor([] { return MainForm->lblVersion->text().contains("KR7260"); }));
}

TEST_F(MainWindowTest, WriteToRadioForcesWord2HighByteOnlyWhenConfirmed)
{
    std::array<std::uint16_t, 128> mem{};
    mem[0] = 0x1111;
    mem[1] = 0x2222;
    sim_->setMemory(mem);
    FillImage(0x300);
    MainForm->RadioImage.Set(2, 0x12345602);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDCANCEL);
    MainForm->btnWriteRadio->click();
    EXPECT_EQ(boxes.boxes()[0].text, "All current radio data will be lost");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x21u);
    EXPECT_EQ(MainForm->RadioImage.Get(2), 0x12345602);
    EXPECT_TRUE(sim_->requests().empty());

    boxes.expect(platform::IDOK);
    QString action;
    ModalHandler handler(CloseWhenDone(&action), 30000);
    MainForm->mnuWriteRadio->trigger();
    ASSERT_TRUE(handler.ran());
    EXPECT_EQ(action, "Data successfully written to radio!");
    EXPECT_EQ(MainForm->RadioImage.Get(2), 0x0A02);
    EXPECT_EQ(MainForm->StatusText(0), "No file loaded."); // a write leaves the status alone
    EXPECT_EQ(sim_->word(0), 0x1111);
    EXPECT_EQ(sim_->word(1), 0x2222);
    EXPECT_EQ(sim_->word(2), 0x0A02);
    for (int k = 3; k < 128; ++k)
        ASSERT_EQ(sim_->word(k), 0x300 + k) << "word " << k;
}

TEST_F(MainWindowTest, TransfersWithThePortClosedEndAtOnceWithTheNoPortBox)
{
    // COM3 has no device: its open fails and the port stays closed.
    MainForm->ComPortNumber = 3;
    {
        MessageBoxResponder boxes;
        boxes.expect(platform::IDOK);
        ASSERT_FALSE(MainForm->OpenComPort());
    }
    FillImage(0x300);
    MainForm->RadioImage.Set(2, 0x1202);
    const TRadioImage::Words before = MainForm->RadioImage.Snapshot();
    const QString status = MainForm->StatusText(0);
    for (QAction* item : {MainForm->mnuReadRadio, MainForm->mnuWriteRadio}) {
        SCOPED_TRACE(item->objectName().toStdString());
        MessageBoxResponder boxes;
        boxes.expect(platform::IDOK); // the confirmation
        boxes.expect(platform::IDOK);
        // No transfer dialog is left waiting (one would be cancelled here).
        ModalHandler dialog([](QWidget*) { frmReadWrite->btnCancel->click(); }, 1000);
        item->trigger();
        EXPECT_FALSE(dialog.ran());
        ASSERT_EQ(boxes.boxes().size(), 2u);
        EXPECT_EQ(boxes.boxes()[1].text, "There is a problem opening the Com port.");
        EXPECT_EQ(boxes.boxes()[1].caption, "No port.");
        EXPECT_EQ(frmReadWrite->TransferMode, kr72state::TransferIdle);
        EXPECT_EQ(MainForm->RadioImage.Snapshot(), before);
        EXPECT_EQ(MainForm->StatusText(0), status); // no "Current Radio data loaded"
    }
    EXPECT_TRUE(sim_->requests().empty());
}

// ---------------------------------------------------------------- port dialog and exit

TEST_F(MainWindowTest, PortDialogChangesThePortAndReopens)
{
    // The dialog shows the port in use; the choice counts only with OK.
    auto pick = [](QRadioButton* TfrmPorts::*shown, QRadioButton* TfrmPorts::*chosen, const char* button) {
        ModalHandler handler([=](QWidget* w) {
            EXPECT_EQ(w, frmPorts);
            EXPECT_TRUE((frmPorts->*shown)->isChecked());
            (frmPorts->*chosen)->setChecked(true);
            frmPorts->findChild<QPushButton*>(button)->click();
        });
        MainForm->mnuPortSelect->trigger();
        EXPECT_TRUE(handler.ran());
    };
    MessageBoxResponder boxes;
    // Each item's tooltip names the device behind it, or that nothing is there.
    ModalHandler tips([&](QWidget*) {
        EXPECT_EQ(frmPorts->rbCom1->toolTip().toStdString(), ptys_[0]->slavePath());
        EXPECT_EQ(frmPorts->rbCom3->toolTip(), tmp_.filePath("no-such-tty") + " (not present)");
        EXPECT_EQ(frmPorts->rbCom4->toolTip(), "No serial device");
        frmPorts->reject();
    });
    MainForm->mnuPortSelect->trigger();
    ASSERT_TRUE(tips.ran());
    pick(&TfrmPorts::rbCom1, &TfrmPorts::rbCom2, "btnCancel");
    EXPECT_EQ(MainForm->ComPortNumber, 1);
    EXPECT_EQ(frmSerial->Port.path(), ptys_[0]->slavePath());

    pick(&TfrmPorts::rbCom1, &TfrmPorts::rbCom2, "btnOK");
    EXPECT_EQ(MainForm->ComPortNumber, 2);
    EXPECT_TRUE(frmSerial->PortOpen);
    EXPECT_EQ(frmSerial->Port.path(), ptys_[1]->slavePath());

    // A port that cannot be opened: the box, and the program goes on with it closed.
    boxes.expect(platform::IDOK);
    pick(&TfrmPorts::rbCom2, &TfrmPorts::rbCom3, "btnOK");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "There is a problem opening the Com port.");
    EXPECT_FALSE(frmSerial->PortOpen);

    MainForm->mnuFileExit->trigger();
    platform::TRegistry reg;
    int stored = 0;
    ASSERT_TRUE(reg.OpenKey(kr7260app::RegistryKey, false));
    ASSERT_TRUE(reg.ReadInteger("ComPort", stored));
    EXPECT_EQ(stored, 3);
}

// ---------------------------------------------------------------- editors

TEST_F(MainWindowTest, EditorOkStoresAndWritesOptionBytesBack)
{
    FillImage(0);
    MainForm->RadioImage.Set(3, 0x7FFF0000 | 0x8001); // upper half cleared by OK
    MainForm->RadioImage.Set(5, 0x00AB);
    TTestEditor editor;
    MainForm->SetEditor(TMainForm::Editor::SquelchSMeter, nullptr); // as before the window is made
    EXPECT_FALSE(MainForm->EditRadioHardware->isEnabled());
    MainForm->SetEditor(TMainForm::Editor::SquelchSMeter, &editor);
    EXPECT_TRUE(MainForm->EditRadioHardware->isEnabled());
    ModalHandler handler([&](QWidget*) {
        EXPECT_FALSE(editor.chkSMeterEnabled->isChecked());
        EXPECT_EQ(editor.OptionBytes[0], 0x01);
        EXPECT_EQ(editor.OptionBytes[1], 0x80);
        EXPECT_EQ(editor.OptionBytes[4], 0xAB);
        editor.chkSMeterEnabled->setChecked(true);
        editor.spnLeadIn->setValue(150);
        editor.OKBtn->click();
    });
    MainForm->EditRadioHardware->click();
    ASSERT_TRUE(handler.ran());
    EXPECT_EQ(editor.loads, 1);
    EXPECT_EQ(MainForm->RadioImage.Get(3), 0x8003);
    EXPECT_EQ(MainForm->RadioImage.Get(5), 0x00AB);
    EXPECT_EQ(MainForm->RadioImage.Get(7), 150);
}

TEST_F(MainWindowTest, EditorCancelEscapeAndCloseBoxRestoreEverything)
{
    FillImage(0x40);
    const TRadioImage::Words before = MainForm->RadioImage.Snapshot();
    TTestEditor editor;
    ModalHandler handler([&](QWidget*) {
        // The window and a sub-window store into the image directly.
        MainForm->RadioImage.Set(4, 0xFFFF);
        MainForm->RadioImage.Set(100, 1);
        editor.chkSMeterEnabled->setChecked(true);
        editor.CancelBtn->click();
    });
    EXPECT_EQ(editor.exec(), QDialog::Rejected);
    ASSERT_TRUE(handler.ran());
    EXPECT_EQ(MainForm->RadioImage.Snapshot(), before);

    // Escape is Cancel as well.
    ModalHandler esc([&](QWidget*) {
        MainForm->RadioImage.Set(7, 3);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&editor, &key);
    });
    editor.exec();
    ASSERT_TRUE(esc.ran());
    EXPECT_EQ(MainForm->RadioImage.Snapshot(), before);

    // The close box is Cancel too, for direct stores and option bytes alike.
    ModalHandler closeBox([&](QWidget*) {
        MainForm->RadioImage.Set(7, 66);
        editor.chkSMeterEnabled->setChecked(!editor.chkSMeterEnabled->isChecked());
        editor.close();
    });
    editor.exec();
    ASSERT_TRUE(closeBox.ran());
    EXPECT_EQ(MainForm->RadioImage.Snapshot(), before);
}

// ---------------------------------------------------------------- help pane

TEST_F(MainWindowTest, HelpPaneFollowsMouseAndFocus)
{
    MainForm->show();
    QTextEdit* help = MainForm->HelpText;
    MouseMove(MainForm->btnReadRadio);
    EXPECT_EQ(help->toPlainText(), "Reads the configuration data in the radio to the edit windows.");
    FocusIn(MainForm->btnFileOpen);
    EXPECT_EQ(help->toPlainText(), "Reads the configuration data in a file to the edit windows.");
    MouseMove(MainForm->btnCtcss); // disabled (no editor yet) still explains itself
    EXPECT_FALSE(help->toPlainText().isEmpty());
    MouseMove(help->viewport());
    EXPECT_EQ(help->toPlainText(), "");

    TTestEditor editor;
    editor.show();
    // A spin box's inner editor counts as the spin box.
    MouseMove(editor.spnLeadIn->findChild<QLineEdit*>());
    EXPECT_EQ(editor.HelpText->toPlainText(), "Sets the lead-in delay.");
    FocusIn(editor.chkSMeterEnabled); // no sentence: the pane empties
    EXPECT_EQ(editor.HelpText->toPlainText(), "");
    FocusIn(editor.OKBtn);
    EXPECT_EQ(editor.HelpText->toPlainText(), "The OK button exits the screen and saves any changes.");
    MouseMove(&editor);
    EXPECT_EQ(editor.HelpText->toPlainText(), "");
}

// ---------------------------------------------------------------- about box

TEST_F(MainWindowTest, AboutBoxLink)
{
    QString opened;
    platform::SetShellOpenHook([&](const QString& url) {
        opened = url;
        return true;
    });
    ModalHandler handler([&](QWidget* w) {
        EXPECT_EQ(w, AboutBox);
        auto* link = w->findChild<QLabel*>("lblWebSite");
        const QPointF p(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, p, link->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, p, link->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &press);
        QApplication::sendEvent(link, &release);
        w->findChild<QPushButton*>("OKButton")->click();
    });
    MainForm->mnuHelpAbout->trigger();
    platform::SetShellOpenHook({});
    ASSERT_TRUE(handler.ran());
    EXPECT_EQ(opened, "https://www.navar.example/");
}

} // namespace
