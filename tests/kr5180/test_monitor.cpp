// The comms monitor on its own; the traces the command layer writes are checked in
// test_radio.cpp.
#include "monitor.h"

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

    QCheckBox* box() const { return monitor->findChild<QCheckBox*>("cbEnableMonitor"); }
    void Enable(bool on)
    {
        ASSERT_NE(box(), nullptr);
        if (box()->isChecked() != on)
            box()->click();
    }

    std::unique_ptr<TfrmCommsMonitor> monitor;
};

TEST_F(MonitorTest, StartsDisabledTracingNothingButErrorLinesStillAppear)
{
    EXPECT_FALSE(monitor->Enabled());
    const std::uint8_t bytes[] = {0x83, 0x00, 0x10};
    monitor->LogBytes(bytes, 3, 1);
    monitor->LogBytes(bytes, 3, 0);
    monitor->AddLine("Comms Error");
    EXPECT_EQ(monitor->Lines(), QStringList{"Comms Error"});
}

TEST_F(MonitorTest, LineFormatAndClear)
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

    // Clear empties the memo, keeps tracing on, and the next line starts at the top.
    monitor->findChild<QPushButton*>("btnClear")->click();
    EXPECT_TRUE(monitor->Lines().isEmpty());
    EXPECT_TRUE(monitor->Enabled());
    monitor->LogBytes(tx, 1, 1);
    EXPECT_EQ(monitor->findChild<QPlainTextEdit*>("memoTx")->toPlainText(), "TX :83 ");
}

TEST_F(MonitorTest, LinesCollectedBeforeFirstShowingAndStateKeptAcrossShowings)
{
    monitor->AddLine("Comms Error");
    monitor->AddLine("Comms Error");
    monitor->show();
    EXPECT_EQ(monitor->Lines(), (QStringList{"Comms Error", "Comms Error"}));

    Enable(true);
    monitor->hide();
    // Showing again reflects the real tracing state in the box.
    box()->setChecked(false);
    monitor->show();
    EXPECT_TRUE(box()->isChecked());
    EXPECT_EQ(monitor->Lines().size(), 2);
    monitor->hide();
}

TEST_F(MonitorTest, LongTraceIsKeptWholeAndHexBytesExtendTheLastLine)
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
    EXPECT_TRUE(lines.back().startsWith("TX :00 01 "));
    EXPECT_TRUE(lines.back().endsWith("FD FE "));

    TfrmCommsMonitor fresh(nullptr);
    fresh.AppendHexByte(0x7F); // no line yet: goes to line 0
    fresh.AddLine("RX :");
    fresh.AppendHexByte(0x0B);
    EXPECT_EQ(fresh.Lines(), (QStringList{"7F ", "RX :0B "}));
}

} // namespace
