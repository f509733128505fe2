// Alignment window: offline simulation, live commands to the simulated radio, S-meter
// calibration, Set Defaults, polling and key repeat, and its opening from the main window.
// ctest-label: threaded (the serial port and the simulated radio run their own threads)
#include "main_fixture.h"

#include "align.h"

#include "support/focus.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

using namespace k5test;

class AlignTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        radio = &startWithRadio(fileImage, Pattern(9), 250);
        ASSERT_TRUE(serialPort->SerialPortIsOpen());
        align = std::make_unique<TformAlign>(radioCmd, eepromImage);
    }
    void TearDown() override
    {
        align.reset();
        MainWindowTest::TearDown();
    }

    void Open(bool offline)
    {
        align->SetOffline(offline);
        align->show();
        radio->clearLog();
    }
    template <typename T> T* Get(const char* name) const
    {
        T* w = align->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* name) const
    {
        if (auto* e = align->findChild<QLineEdit*>(QString::fromLatin1(name)))
            return e->text();
        return Get<QLabel>(name)->text();
    }
    void Press(const char* name) { Get<QPushButton>(name)->click(); }

    const Bytes fileImage = Pattern(12);
    testsupport::Kr5180Sim* radio = nullptr;
    std::unique_ptr<TformAlign> align;
};

TEST_F(AlignTest, OfflineStepsWrapBothWaysAndSetS1StoresThirtyFiveSendingNothing)
{
    Open(true);
    EXPECT_TRUE(Get<QLabel>("lblOffline")->isVisibleTo(align.get()));
    EXPECT_EQ(Text("editChannel"), "01");
    EXPECT_EQ(Text("lblRxFreq"), "476.4250");

    auto* down = Get<QPushButton>("BitBtnDown");
    testsupport::MousePress(down); // held: one step now, repeats from the key timer
    testsupport::MouseRelease(down);
    EXPECT_EQ(Text("editChannel"), "40");
    EXPECT_EQ(Text("lblRxFreq"), "477.4000");
    auto* up = Get<QPushButton>("BitBtnUp");
    testsupport::MousePress(up);
    testsupport::MouseRelease(up);
    EXPECT_EQ(Text("editChannel"), "01");

    Press("btnSetS1");
    EXPECT_EQ(eepromImage->GetByte(ee::SMeterS1), 35);
    EXPECT_EQ(Get<QSpinBox>("udS1")->value(), 35);
    // Calibration values, squelch and PTT go only into the image and the window.
    Get<QSpinBox>("udMod")->setValue(77);
    EXPECT_EQ(eepromImage->GetByte(ee::Modulation), 77);
    Press("btnSquelch");
    EXPECT_TRUE(Get<QLabel>("lblSQL")->isVisibleTo(align.get()));
    Press("btnPTT");
    align->TimerRSSITimer();
    EXPECT_EQ(Text("editRSSI"), "128");
    align->close();
    EXPECT_FALSE(radio->waitForRequests(1, 200));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AlignTest, OnlineShowStepFrequencyAndKeyRepeat)
{
    radio->setChannel(169); // receive-only 41, whose word is erased
    eepromImage->SetWord(ee::RxChannels, 0xFFFF);
    radio->setStatus(1);
    align->SetOffline(false);
    align->show();
    EXPECT_EQ(Text("editChannel"), "41");
    EXPECT_EQ(Text("lblRxFreq"), "000.0000");
    EXPECT_TRUE(Get<QLabel>("lblSQL")->isVisibleTo(align.get()));
    EXPECT_EQ(Get<QSpinBox>("udTempCo")->value(), eepromImage->GetByte(ee::TempCo));
    EXPECT_FALSE(Get<QSpinBox>("udT1_F2")->isEnabled());

    radio->clearLog();
    Get<QRadioButton>("rgAlignFreq1")->click(); // 477 MHz
    EXPECT_EQ(radio->requests(), std::vector<Bytes>{(Bytes{0xB4, 0x88, 0x95, 0x10})}); // 38160
    EXPECT_FALSE(Get<QLineEdit>("editChannel")->isEnabled());
    EXPECT_EQ(Text("lblRxFreq"), "477.0000");

    // Holding "up": one step at once, the next after 500 ms, then every 100 ms.
    radio->clearLog();
    radio->setChannel(168);
    auto* up = Get<QPushButton>("BitBtnUp");
    testsupport::MousePress(up);
    EXPECT_FALSE(Get<QRadioButton>("rgAlignFreq1")->isChecked());
    EXPECT_EQ(Text("editChannel"), "01");
    EXPECT_TRUE(align->KeyTimer->isActive());
    EXPECT_EQ(align->KeyTimer->interval(), 500);
    align->KeyTimerTimer();
    EXPECT_EQ(align->KeyTimer->interval(), 100);
    EXPECT_EQ(Text("editChannel"), "02");
    testsupport::MouseRelease(up);
    EXPECT_FALSE(align->KeyTimer->isActive());
    EXPECT_EQ(radio->requests(), (std::vector<Bytes>{{0xA9}, {0xA9}}));

    // Enter on the focused button steps nothing: they act on the mouse alone.
    radio->clearLog();
    testsupport::PressEnter(up);
    EXPECT_FALSE(radio->waitForRequests(1, 200));
}

TEST_F(AlignTest, SixteenReadingsGiveTheirMeanAndAFailedWriteIsReported)
{
    Open(false);
    Bytes readings;
    for (int v = 100; v <= 115; ++v)
        readings.push_back(static_cast<std::uint8_t>(v));
    radio->queueAdc(3, readings);
    Get<QTabWidget>("PageControl1")->setCurrentIndex(3);
    Get<QCheckBox>("chk_rssipolling2")->click();
    radio->clearLog();
    Press("btnSetS1");
    auto log = radio->requests();
    ASSERT_EQ(log.size(), 17u);
    EXPECT_EQ(log[0], (Bytes{0xB4, 0x08, 0x03}));
    EXPECT_EQ(log[16], (Bytes{0xA1, 0x00, 22, 107})); // 1720 shr 4
    EXPECT_EQ(eepromImage->GetByte(ee::SMeterS1), 107);
    EXPECT_TRUE(align->TimerRSSI->isActive()) << "polling resumes when its box is checked";

    // A poll tick is one exchange; a reading that does not come leaves the box empty.
    radio->clearLog();
    align->TimerRSSITimer();
    EXPECT_EQ(Text("editRSSI2"), "115");
    EXPECT_EQ(radio->requestCount(), 1);
    radio->setSilent(true);
    align->TimerRSSITimer();
    EXPECT_EQ(Text("editRSSI2"), "");

    // Silent radio: the sampling stops at once, nothing stored; a write that fails is reported.
    boxes.answerAll(platform::IDOK);
    Press("btnSetS10");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "S-Meter calibration not complete", "Error", 0x30);
    radio->setSilent(false);
    radio->setNotRecognised({0x21});
    Press("btnSetS10");
    ASSERT_EQ(boxes.boxes().size(), 2u);
    ExpectBox(boxes.boxes()[1], "Error occurred while writing to radio.", "Error", 0x30);
    EXPECT_EQ(eepromImage->GetByte(ee::SMeterS9), 115);

    // Changing the page stops polling and unchecks both boxes.
    Get<QTabWidget>("PageControl1")->setCurrentIndex(1);
    EXPECT_FALSE(align->TimerRSSI->isActive());
    EXPECT_FALSE(Get<QCheckBox>("chk_rssipolling2")->isChecked());
}

TEST_F(AlignTest, TheWheelChangesOnlyTheBoxWithTheFocus)
{
    Open(false);
    auto* mod = Get<QSpinBox>("udMod");
    const int before = mod->value();
    // Scrolling with the pointer over a box that lacks the focus changes nothing.
    QApplication::setActiveWindow(align.get());
    Get<QPushButton>("btnClose")->setFocus();
    testsupport::WheelOver(mod);
    EXPECT_EQ(mod->value(), before);
    EXPECT_NE(mod->focusPolicy(), Qt::WheelFocus) << "the wheel would give it the focus first";
    EXPECT_TRUE(radio->requests().empty());

    mod->setFocus();
    testsupport::WheelOver(mod);
    EXPECT_EQ(eepromImage->GetByte(ee::Modulation), before + 1);
    const Bytes write{0xA1, 0x00, ee::Modulation, static_cast<std::uint8_t>(before + 1)};
    EXPECT_EQ(radio->requests(), std::vector<Bytes>{write});
}

TEST_F(AlignTest, ALateRssiReplyIsNeverTakenForALaterReading)
{
    Open(false);
    radio->queueAdc(3, {10, 20, 30, 40, 50, 0, 90, 200, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
                        112, 113, 114, 115});
    radio->delayReply(2, 400); // 150 ms after its time-out
    radio->dropReply(4);
    Get<QCheckBox>("chk_rssipolling")->click();
    align->TimerRSSI->stop(); // ticks are driven by hand
    auto pollUntilShown = [&] {
        return testsupport::WaitFor([&] {
            align->TimerRSSITimer();
            return !Text("editRSSI").isEmpty();
        });
    };

    align->TimerRSSITimer();
    EXPECT_EQ(Text("editRSSI"), "10");
    // Times out; the overdue tick comes before the late reply and sends nothing.
    for (int tick = 0; tick < 2; ++tick) {
        align->TimerRSSITimer();
        EXPECT_EQ(Text("editRSSI"), "");
    }
    // Polling resumes once the late reply is in: each reading answers its own request.
    ASSERT_TRUE(pollUntilShown());
    EXPECT_EQ(Text("editRSSI"), "30");
    EXPECT_EQ(radio->requestCount(), 3);

    // A reply that never comes (request 4), then one to another request (6): the box
    // stays empty, never showing the last reading, until this poll's own reply can no
    // longer arrive.
    for (bool otherReply : {false, true}) {
        if (otherReply)
            radio->replaceNextReply({0x21, 0x00, ee::Modulation});
        align->TimerRSSITimer();
        EXPECT_EQ(Text("editRSSI"), "");
        ASSERT_TRUE(pollUntilShown());
        EXPECT_EQ(Text("editRSSI"), otherReply ? "90" : "50");
    }

    // The S-meter samples wait for a poll's late reply before the first of them. The line
    // is paced, so the late reply arrives whole before the first sample's: taken, it
    // would count as that sample.
    radio->setBaud(9600);
    radio->delayReply(8, 400);
    align->TimerRSSITimer();
    EXPECT_EQ(Text("editRSSI"), "");
    Press("btnSetS1");
    EXPECT_EQ(eepromImage->GetByte(ee::SMeterS1), 107);
    EXPECT_EQ(radio->requests().back(), (Bytes{0xA1, 0x00, ee::SMeterS1, 107}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AlignTest, SetDefaultsFromTheFile)
{
    Open(false);
    // A short default file fails every group, naming the file.
    WriteFileBytes(workPath("defkr5180.mem"), Bytes(fileImage.begin(), fileImage.begin() + 27));
    boxes.answerAll(platform::IDOK);
    for (const char* b : {"btnSetDefaultsTransmitter", "btnSetDefaultsReceiver", "btnSetDefaultsPLLref",
                          "btnSetDefaultsSMeter"})
        Press(b);
    ASSERT_EQ(boxes.boxes().size(), 8u);
    ExpectBox(boxes.boxes()[0], "This will change the calibration of the radio.", "Set Defaults", 0x31);
    ExpectBox(boxes.boxes()[7], "Error reading default file: defkr5180.mem", "Error", 0x30);
    EXPECT_FALSE(radio->waitForRequests(1, 100));

    // Receiver: the radio fails at address 5; 2 to 4 were written, the file's twelve stay.
    writeDefaultFile(fileImage);
    boxes.clear();
    radio->dropReply(4);
    Press("btnSetDefaultsReceiver");
    ASSERT_EQ(boxes.boxes().size(), 2u);
    ExpectBox(boxes.boxes()[1], "Error occurred while writing to radio.", "Error", 0x30);
    const auto log = radio->requests();
    ASSERT_EQ(log.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(log[i], (Bytes{0xA1, 0x00, static_cast<std::uint8_t>(2 + i), fileImage[2 + i]}));
    for (int a = 2; a <= 13; ++a)
        EXPECT_EQ(eepromImage->GetByte(a), fileImage[a]) << a;
    EXPECT_EQ(Get<QSpinBox>("udT4_F3")->value(), fileImage[13]);

}

TEST_F(AlignTest, ClosingWhileTransmittingReleasesPtt)
{
    Open(false);
    Press("btnPTT");
    EXPECT_EQ(Text("panelTxRx"), "TRANSMIT");
    Get<QSpinBox>("udBal")->setValue(9);
    Press("btnClose");
    EXPECT_EQ(radio->requests(),
              (std::vector<Bytes>{{0xA6, 0x01}, {0xA1, 0x00, ee::Balance, 9}, {0xA6, 0x00}}));
    EXPECT_FALSE(align->transmitting);
    EXPECT_EQ(Text("panelTxRx"), "RECEIVE");
}

TEST_F(AlignTest, MainWindowReadsCalibrationThenOpensTheWindowOnlineOrOffline)
{
    win->SetEditor(TfrmMain::Editor::Align, align.get());
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent);
        radio->setSilent(silent);
        boxes.clear();
        if (silent)
            boxes.expect(platform::IDOK);
        bool offlineShown = false;
        testsupport::ModalHandler h([&](QWidget* w) {
            offlineShown = w->findChild<QLabel*>("lblOffline")->isVisibleTo(w);
            static_cast<QDialog*>(w)->reject();
        });
        click("btnAlign");
        EXPECT_TRUE(testsupport::WaitFor([&] { return h.ran(); }));
        EXPECT_EQ(offlineShown, silent);
        EXPECT_EQ(boxes.boxes().size(), silent ? 1u : 0u);
    }
}
