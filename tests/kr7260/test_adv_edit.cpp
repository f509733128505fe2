// The squelch and S-meter window, opened from the main window against the simulated
// radio: its words and slopes, the live replies, and "Load Defaults Levels".
// ctest-label: threaded
#include "adv_edit.h"
#include "kr72wire.h"
#include "main.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "editor_fixture.h"
#include "main_fixture.h"

#include "support/dialogs.h"
#include "support/focus.h"
#include "support/kr7260_sim.h"

#include <platform/msgbox.h>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTextEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace kr72wire;
using testsupport::Kr7260Sim;
using testsupport::MessageBoxResponder;
using testsupport::ModalHandler;
using testsupport::WaitFor;

namespace {

constexpr std::uint16_t kDefaultLevels = 0x2F71; // S1 47, S9+ 113

TEST(SquelchSlope, QuotientByteAndTheBandsWithoutWidth)
{
    EXPECT_EQ(SquelchSlope(20, 68, 12), 36);   // 2040 div 56
    EXPECT_EQ(SquelchSlope(20, 85, 55), 68);   // 2040 div 30
    EXPECT_EQ(SquelchSlope(0, 13, 12), 246);   // 2550 taken modulo 256
    EXPECT_EQ(SquelchSlope(20, 10, 12), 0);    // threshold below its tight level
    EXPECT_EQ(SquelchSlope(20, 40, 40), 255);  // equal: no division
    EXPECT_EQ(SquelchSlope(100, 0, 0), 255);
}

TEST(SquelchKeyboard, TabReachesEveryBarAndItsHelp)
{
    TRadioImage image;
    TfrmAdvanced w;
    w.Image = &image;
    w.show();
    QApplication::processEvents();
    const std::set<QWidget*> reached = k7test::TabThrough(w, w.OKBtn);
    for (QScrollBar* bar : {w.hsbMuteOffDebounce, w.hsbMuteIgnore, w.hsbMuteOnDebounce, w.hsbSqlOpenTight,
                            w.hsbSqlOpenThreshold, w.hsbSqlCloseTight, w.hsbSqlCloseThreshold,
                            w.hsbSqlPotThreshold})
        EXPECT_TRUE(reached.count(bar)) << bar->objectName().toStdString();
    w.hsbMuteOnDebounce->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(w.findChild<QTextEdit*>("HelpText")->toPlainText(),
              "Two valid samples are required in this time to mute the radio.");
    w.CancelBtn->click();
}

class SquelchWindow : public k7test::PrivateFoldersTest {
protected:
    void SetUp() override
    {
        PrivateFoldersTest::SetUp();
        if (HasFatalFailure())
            return;
        sim_ = std::make_unique<Kr7260Sim>(MapPty(1));
        for (int k = 0; k < Kr7260Sim::kWords; ++k)
            radio_[k] = std::uint16_t(0x4000 + k * 77);
        sim_->setMemory(radio_);
        sim_->setSignalLevel(0x60);
        // The default file: every word unlike the radio's, word 1 the default levels.
        std::array<std::int32_t, 128> defaults{};
        for (int k = 0; k < 128; ++k)
            defaults[k] = 0x1100 + k;
        defaults[1] = kDefaultLevels;
        QFile f(kr7260app::DefaultFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(defaults.data()), 512); // little-endian host

        kr7260app::CreateForms();
        MainForm->FormShow();
        ASSERT_TRUE(frmSerial->PortOpen);
        ASSERT_NE(frmAdvanced, nullptr);
        for (int k = 0; k < 128; ++k)
            MainForm->RadioImage.Set(k, 0x2200 + k * 3);
    }
    void TearDown() override
    {
        kr7260app::DestroyForms();
        sim_.reset();
        PrivateFoldersTest::TearDown();
    }

    // Opens the window from its main-window button, runs act on it, then presses the button.
    void Open(const std::function<void(TfrmAdvanced&)>& act, QPushButton* TfrmAdvanced::*press)
    {
        ModalHandler handler([&](QWidget*) {
            act(*frmAdvanced);
            ((*frmAdvanced).*press)->click();
        }, 30000);
        MainForm->EditRadioHardware->click();
        EXPECT_TRUE(handler.ran());
        EXPECT_FALSE(frmAdvanced->isVisible());
    }

    std::vector<int> Changed(const TRadioImage::Words& before) const
    {
        std::vector<int> words;
        for (int k = 0; k < 128; ++k)
            if (MainForm->RadioImage.Get(k) != before[k])
                words.push_back(k);
        return words;
    }

    // Counts the transfer dialogs shown and presses "Close" on each once it has ended,
    // recording its text. onShow, when set, runs as each dialog shows, before its
    // transfer starts.
    struct TransferCloser : QObject {
        TransferCloser()
        {
            frmReadWrite->installEventFilter(this);
            QObject::connect(&timer, &QTimer::timeout, [this] {
                if (frmReadWrite->isVisible() && frmReadWrite->btnCancel->text() == "Close") {
                    texts.push_back(frmReadWrite->lblAction->text());
                    frmReadWrite->btnCancel->click();
                }
            });
            timer.start(5);
        }
        bool eventFilter(QObject*, QEvent* e) override
        {
            shown += e->type() == QEvent::Show;
            if (e->type() == QEvent::Show && !e->spontaneous() && onShow)
                onShow();
            return false;
        }
        QTimer timer;
        int shown = 0;
        std::vector<QString> texts;
        std::function<void()> onShow;
    };

    std::unique_ptr<Kr7260Sim> sim_;
    std::array<std::uint16_t, Kr7260Sim::kWords> radio_{};
};

TEST_F(SquelchWindow, TypicalValuesStoreTheirWordsAndSlopes)
{
    TRadioImage& img = MainForm->RadioImage;
    img.Set(3, 0xFFFF);
    img.Set(12, 0x1437);      // pot 20 %, transmit delay kept
    img.Set(14, 0x440C);      // open: threshold 68, tight 12
    img.Set(15, 0x5537);      // close: threshold 85, tight 55
    img.Set(16, 0x0000);
    img.Set(17, 0x7F00030A);  // upper half cleared by OK
    img.Set(18, 0x0A05);
    const TRadioImage::Words before = img.Snapshot();
    Open([](TfrmAdvanced& w) {
        EXPECT_TRUE(w.chkSMeterEnabled->isChecked());
        EXPECT_EQ(w.lblMuteOffDebounceValue->text(), "30 mSec");
        EXPECT_EQ(w.lblMuteIgnoreValue->text(), "100 mSec");
        EXPECT_EQ(w.lblSqlOpenThreshold->text(), "68");
        EXPECT_EQ(w.lblSqlPotThreshold->text(), "20%");
        w.hsbMuteOnDebounce->setValue(12);
        EXPECT_EQ(w.lblMuteOnDebounceValue->text(), "120 mSec");
        w.chkSMeterEnabled->setChecked(false);
        // Enter on a bar presses no button: the window stays open, no level is set.
        testsupport::PressEnter(w.hsbSqlOpenThreshold);
        EXPECT_TRUE(w.isVisible());
    }, &TfrmAdvanced::OKBtn);
    for (const auto& r : sim_->requests())
        EXPECT_FALSE(r.command == LiveValue && (r.address == LiveSetS1 || r.address == LiveSetS9));
    EXPECT_EQ(Changed(before), (std::vector<int>{3, 16, 17, 18}));
    EXPECT_EQ(img.Get(3), 0xFFFD);
    EXPECT_EQ(img.Get(16), 0x2444);
    EXPECT_EQ(img.Get(17), 0x030A);
    EXPECT_EQ(img.Get(18), 0x0A0C);

    // A threshold below its tight level, one equal to it.
    img.Set(14, 0x0A0C);
    img.Set(15, 0x3737);
    Open([](TfrmAdvanced&) {}, &TfrmAdvanced::OKBtn);
    EXPECT_EQ(img.Get(16), 0x00FF);
}

TEST_F(SquelchWindow, LiveRepliesReachTheWindowAndCancelUndoesThem)
{
    TRadioImage& img = MainForm->RadioImage;
    img.Set(1, 0x1020);
    sim_->setBusy(0x2A);
    sim_->setRssi(0xC8);
    const TRadioImage::Words before = img.Snapshot();
    Open([&](TfrmAdvanced& w) {
        EXPECT_EQ(w.txtS0->text(), "16");
        EXPECT_EQ(w.txtS9->text(), "32");
        w.btnS9->click();
        EXPECT_TRUE(WaitFor([&] { return w.txtS9->text() == "96"; }));
        EXPECT_EQ(img.Get(1), 0x1060);
        sim_->setSignalLevel(0x05);
        w.btnS0->click();
        EXPECT_TRUE(WaitFor([&] { return w.txtS0->text() == "5"; }));
        EXPECT_EQ(img.Get(1), 0x0560);

        w.Timer1->stop(); // the display tick is driven by hand
        w.Button1->click();
        EXPECT_TRUE(WaitFor([] { return frmSerial->RssiLevel == 0xC8; }));
        w.Timer1Timer();
        EXPECT_EQ(w.lblBusyVoltage->text(), "Busy = 42");
        EXPECT_EQ(w.lblRssi->text(), "RSSI = 200");
        w.Timer1->start();
    }, &TfrmAdvanced::CancelBtn);
    EXPECT_TRUE(Changed(before).empty());
    // A level asked for just before Cancel and answered after it leaves the image alone.
    sim_->setReplyDelay(std::chrono::milliseconds(300));
    Open([&](TfrmAdvanced& w) { w.btnS9->click(); }, &TfrmAdvanced::CancelBtn);
    WaitFor([] { return false; }, 500); // past the reply
    EXPECT_TRUE(Changed(before).empty());
    EXPECT_EQ(frmAdvanced->txtS9->text(), "32"); // nor does the box show it
    sim_->setReplyDelay(std::chrono::milliseconds(0));
    // OK does not store word 1: it stays as the replies left it.
    Open([&](TfrmAdvanced& w) {
        w.btnS9->click();
        EXPECT_TRUE(WaitFor([&] { return w.txtS9->text() == "5"; }));
    }, &TfrmAdvanced::OKBtn);
    EXPECT_EQ(img.Get(1), 0x1005);
}

TEST_F(SquelchWindow, DefaultLevelsChangeNoRadioWordButWord1)
{
    TRadioImage& img = MainForm->RadioImage;
    const TRadioImage::Words before = img.Snapshot();
    TransferCloser closer;
    sim_->clearLog();
    Open([&](TfrmAdvanced& w) {
        w.btnSMeterDefaults->click();
        EXPECT_EQ(w.txtS9->text(), "113");
        EXPECT_EQ(w.txtS0->text(), "47");
        EXPECT_EQ(Changed(before), (std::vector<int>{1}));
        EXPECT_EQ(img.Get(1), kDefaultLevels);
    }, &TfrmAdvanced::OKBtn);
    EXPECT_EQ(closer.shown, 2);
    EXPECT_EQ(closer.texts, (std::vector<QString>{"Data successfully written to radio!"}));
    EXPECT_EQ(MainForm->StatusText(0), "File loaded: defkr72.mem");

    std::array<std::uint16_t, Kr7260Sim::kWords> expected = radio_;
    expected[1] = kDefaultLevels;
    EXPECT_EQ(sim_->memory(), expected);
    std::vector<int> written;
    for (const auto& r : sim_->requests())
        if (r.command == WriteBlock)
            written.push_back(r.address);
    EXPECT_EQ(written, (std::vector<int>{0})); // the block at 1 already matched
    EXPECT_EQ(img.Get(1), kDefaultLevels);
}

TEST_F(SquelchWindow, DefaultLevelsIgnoreALiveLevelArrivingMeanwhile)
{
    // An S1 level the radio sends unasked as each transfer dialog shows, before its
    // transfer starts (after the file load, and between the read and the write), is
    // parsed there and neither reaches the radio nor the image.
    TRadioImage& img = MainForm->RadioImage;
    std::array<std::uint16_t, Kr7260Sim::kWords> expected = radio_;
    expected[1] = kDefaultLevels;
    const std::vector<std::uint8_t> level = Kr7260Sim::Frame(LiveValue, {0x55, 0, LiveSetS1, 0});
    TransferCloser closer;
    std::atomic<int> parsed{0};
    QObject::connect(frmSerial, &TfrmSerial::sMeterLevel, &closer, [&] { ++parsed; }, Qt::DirectConnection);
    int levelsAtShow = 0;
    closer.onShow = [&] {
        const int before = parsed;
        sim_->sendUnsolicited(level);
        // Parsed on the parser thread: no event of the dialog is handled meanwhile.
        for (int i = 0; i < 300 && parsed == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        levelsAtShow += parsed > before;
    };
    sim_->setMemory(radio_);
    Open([&](TfrmAdvanced& w) {
        w.btnSMeterDefaults->click();
        EXPECT_EQ(img.Get(1), kDefaultLevels);
    }, &TfrmAdvanced::OKBtn);
    EXPECT_EQ(levelsAtShow, 2);
    EXPECT_EQ(closer.texts, (std::vector<QString>{"Data successfully written to radio!"}));
    EXPECT_EQ(sim_->memory(), expected);
    EXPECT_EQ(img.Get(1), kDefaultLevels);
}

TEST_F(SquelchWindow, DefaultLevelsWithoutTheFileOrAReadWriteNothing)
{
    TRadioImage& img = MainForm->RadioImage;
    const TRadioImage::Words before = img.Snapshot();
    TransferCloser closer;
    sim_->setSilent(true);
    sim_->clearLog();
    Open([&](TfrmAdvanced& w) {
        QFile::rename(kr7260app::DefaultFile, "elsewhere.mem");
        w.btnSMeterDefaults->click();
        EXPECT_EQ(closer.shown, 0);
        EXPECT_TRUE(Changed(before).empty());

        QFile::rename("elsewhere.mem", kr7260app::DefaultFile);
        w.btnSMeterDefaults->click(); // the radio does not answer the read
        EXPECT_EQ(Changed(before), (std::vector<int>{1}));
    }, &TfrmAdvanced::CancelBtn);
    EXPECT_EQ(closer.shown, 1);
    EXPECT_EQ(closer.texts, (std::vector<QString>{"Failed while trying to get radio into read program mode."}));
    for (const auto& r : sim_->requests())
        EXPECT_TRUE(r.command == EnterProgramMode || r.command == ExitProgramMode) << int(r.command);
    EXPECT_EQ(sim_->memory(), radio_);
    EXPECT_TRUE(Changed(before).empty());
}

} // namespace
