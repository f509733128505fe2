#include "eeprom.h"
#include "monitor.h"
#include "radio.h"
#include "serialport.h"

#include "support/kr5180_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdint>
#include <memory>

namespace {

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override { monitor = std::make_unique<TfrmCommsMonitor>(nullptr); }

    void Enable(bool on)
    {
        auto* box = monitor->findChild<QCheckBox*>("cbEnableMonitor");
        ASSERT_NE(box, nullptr);
        if (box->isChecked() != on)
            box->click();
    }

    std::unique_ptr<TfrmCommsMonitor> monitor;
};

TEST_F(MonitorTest, ControlsAndDefaults)
{
    EXPECT_EQ(monitor->windowTitle(), "Comms Monitor");
    EXPECT_TRUE(monitor->windowFlags() & Qt::WindowStaysOnTopHint);
    auto* memo = monitor->findChild<QPlainTextEdit*>("memoTx");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_NE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    auto* clear = monitor->findChild<QPushButton*>("btnClear");
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->text(), "Clear");
    auto* box = monitor->findChild<QCheckBox*>("cbEnableMonitor");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Enable");
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(monitor->Enabled());
}

TEST_F(MonitorTest, DisabledTracesNothingButErrorLinesStillAppear)
{
    const std::uint8_t bytes[] = {0x83, 0x00, 0x10};
    monitor->LogBytes(bytes, 3, 1);
    monitor->LogBytes(bytes, 3, 0);
    monitor->AddLine("Comms Error");
    EXPECT_EQ(monitor->Lines(), QStringList{"Comms Error"});
}

TEST_F(MonitorTest, LineFormatForTransmitAndReceive)
{
    Enable(true);
    EXPECT_TRUE(monitor->Enabled());
    const std::uint8_t tx[] = {0x83, 0x00, 0x10};
    const std::uint8_t rx[] = {0xC3, 0x0A, 0xff, 0x7e};
    monitor->LogBytes(tx, 3, 1);
    monitor->LogBytes(rx, 4, 0);
    monitor->AddLine("Error: Command Not Recognised");
    monitor->LogBytes(tx, 0, 1); // zero bytes: the prefix alone
    EXPECT_EQ(monitor->Lines(), (QStringList{"TX :83 00 10 ", "RX :C3 0A FF 7E ",
                                             "Error: Command Not Recognised", "TX :"}));
}

TEST_F(MonitorTest, ClearEmptiesAndNextLineStartsAtTop)
{
    Enable(true);
    const std::uint8_t tx[] = {0x80};
    monitor->LogBytes(tx, 1, 1);
    monitor->AddLine("Comms Error");
    monitor->findChild<QPushButton*>("btnClear")->click();
    EXPECT_TRUE(monitor->Lines().isEmpty());
    EXPECT_TRUE(monitor->Enabled());
    monitor->LogBytes(tx, 1, 1);
    EXPECT_EQ(monitor->Lines(), QStringList{"TX :80 "});
    EXPECT_EQ(monitor->findChild<QPlainTextEdit*>("memoTx")->toPlainText(), "TX :80 ");
}

TEST_F(MonitorTest, LinesCollectedBeforeFirstShowingAndStateKeptAcrossShowings)
{
    monitor->AddLine("Comms Error");
    monitor->AddLine("Comms Error");
    EXPECT_FALSE(monitor->isVisible());
    monitor->show();
    EXPECT_EQ(monitor->Lines(), (QStringList{"Comms Error", "Comms Error"}));

    Enable(true);
    monitor->hide();
    // Showing again reflects the real tracing state in the box.
    monitor->findChild<QCheckBox*>("cbEnableMonitor")->setChecked(false);
    monitor->show();
    EXPECT_TRUE(monitor->findChild<QCheckBox*>("cbEnableMonitor")->isChecked());
    EXPECT_EQ(monitor->Lines().size(), 2);
    monitor->hide();
}

TEST_F(MonitorTest, LongTraceIsKeptWhole)
{
    Enable(true);
    std::uint8_t bytes[255];
    for (int i = 0; i < 255; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    for (int n = 0; n < 100; ++n)
        monitor->LogBytes(bytes, 255, n & 1);
    const QStringList lines = monitor->Lines();
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.front().size(), 4 + 255 * 3);
    EXPECT_TRUE(lines.front().startsWith("RX :00 01 02 "));
    EXPECT_TRUE(lines.back().startsWith("TX :00 01 "));
    EXPECT_TRUE(lines.back().endsWith("FD FE "));
}

TEST_F(MonitorTest, AppendHexByteExtendsTheLastLine)
{
    monitor->AppendHexByte(0x7F); // no line yet: goes to line 0
    monitor->AddLine("RX :");
    monitor->AppendHexByte(0x0B);
    EXPECT_EQ(monitor->Lines(), (QStringList{"7F ", "RX :0B "}));
}

// The trace as the command layer drives it over the simulated radio.
class MonitorTraceTest : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        sim = std::make_unique<testsupport::Kr5180Sim>();
        mapping = std::make_unique<testsupport::ComMapping>(2, sim->slavePath());
        serialPort = new SerialPort;
        ASSERT_TRUE(serialPort->SerialPortOpen("COM2", 9600));
        frmCommsMonitor = monitor.get();
        image = std::make_unique<EEPROM>();
        radio = std::make_unique<KR5100>(image.get());
    }
    void TearDown() override
    {
        delete serialPort;
        serialPort = nullptr;
        frmCommsMonitor = nullptr;
        mapping.reset();
        sim.reset();
    }
    // The exchanges of a whole-image read.
    void ReadWholeImage()
    {
        radio->QueryVersion();
        radio->EnterProgMode();
        for (int a = 0; a < 256; a += 16)
            radio->ReadBlock(a);
        radio->ResetRadio();
    }

    std::unique_ptr<testsupport::Kr5180Sim> sim;
    std::unique_ptr<testsupport::ComMapping> mapping;
    std::unique_ptr<EEPROM> image;
    std::unique_ptr<KR5100> radio;
};

TEST_F(MonitorTraceTest, ExchangeGivesRequestThenReplyLine)
{
    Enable(true);
    sim->setVersion(1, 5, 'A');
    ASSERT_EQ(radio->QueryVersion(), 0);
    ASSERT_EQ(radio->SetTestMode(0), 0);
    EXPECT_EQ(monitor->Lines(), (QStringList{"TX :80 ", "RX :80 01 05 41 ", "TX :B8 00 ", "RX :B8 "}));
}

TEST_F(MonitorTraceTest, DisabledWholeReadTracesNothingButTimeoutStillShows)
{
    ReadWholeImage();
    EXPECT_EQ(sim->requestCount(), 19);
    EXPECT_TRUE(monitor->Lines().isEmpty());
    sim->setSilent(true);
    EXPECT_EQ(radio->ResetRadio(), 1);
    EXPECT_EQ(monitor->Lines(), QStringList{"Comms Error"});
}

TEST_F(MonitorTraceTest, EnabledWholeReadTracesEveryExchange)
{
    Enable(true);
    ReadWholeImage();
    const QStringList lines = monitor->Lines();
    ASSERT_EQ(lines.size(), 38);
    EXPECT_EQ(lines.at(4), "TX :83 00 00 ");
    EXPECT_EQ(lines.at(34), "TX :83 00 F0 ");
    EXPECT_TRUE(lines.at(35).startsWith("RX :83 00 F0 "));
    EXPECT_EQ(lines.at(36), "TX :BF ");
}

TEST_F(MonitorTraceTest, RejectedCommandFollowsItsReplyLine)
{
    Enable(true);
    sim->setNotRecognised({0x39});
    EXPECT_EQ(radio->EnterProgMode(), 1);
    EXPECT_EQ(monitor->Lines(), (QStringList{"TX :B9 ", "RX :F9 ", "Error: Command Not Recognised"}));
    // Disabled: only the error line.
    Enable(false);
    monitor->btnClearClick();
    EXPECT_EQ(radio->EnterProgMode(), 1);
    EXPECT_EQ(monitor->Lines(), QStringList{"Error: Command Not Recognised"});
}

} // namespace
