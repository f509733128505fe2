// The radio command layer against the simulated radio on a pty, with the trace it writes.
// ctest-label: threaded
#include "eeprom.h"
#include "monitor.h"
#include "radio.h"
#include "serialport.h"

#include "support/kr5180_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <QCheckBox>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using testsupport::Bytes;

namespace {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Pattern(int first, int count)
{
    Bytes b;
    for (int i = 0; i < count; ++i)
        b.push_back(static_cast<std::uint8_t>(first + i));
    return b;
}

class RadioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mapping = std::make_unique<testsupport::ComMapping>(1, sim.slavePath());
        serialPort = new SerialPort;
        ASSERT_TRUE(serialPort->SerialPortOpen("COM1", 9600));
        frmCommsMonitor = &monitor;
        EnableMonitor(true);
        sim.setMemory(Pattern(0, 256));
    }

    void TearDown() override
    {
        delete serialPort;
        serialPort = nullptr;
        frmCommsMonitor = nullptr;
    }

    void EnableMonitor(bool on)
    {
        auto* box = monitor.findChild<QCheckBox*>("cbEnableMonitor");
        if (box->isChecked() != on)
            box->click();
        monitor.btnClearClick();
    }

    Bytes ImageBytes(int address, int count)
    {
        Bytes b;
        for (int i = 0; i < count; ++i)
            b.push_back(static_cast<std::uint8_t>(image.GetByte(address + i)));
        return b;
    }

    testsupport::Kr5180Sim sim;
    std::unique_ptr<testsupport::ComMapping> mapping;
    EEPROM image;
    TfrmCommsMonitor monitor{nullptr};
    KR5100 radio{&image};
};

// Requests whose arguments are masked, split or reordered on the wire (the plain
// transfer requests are checked by the transfer tests).
TEST_F(RadioTest, RequestEncodings)
{
    int value = 0;
    const std::vector<std::pair<std::function<void()>, Bytes>> cases = {
        {[&] { radio.WriteByte(0x20, 0x17E); }, {0xA1, 0x00, 0x20, 0x7E}},
        {[&] { radio.WriteWord(0x2C, 0x1234); }, {0xA2, 0x00, 0x2C, 0x12, 0x34}},
        {[&] { radio.SetPtt(3); }, {0xA6, 0x01}},
        {[&] { radio.SetSquelchLevel(0x105); }, {0xA7, 0x05}},
        {[&] { radio.StepChannel(0); }, {0xA9}},
        {[&] { radio.StepChannel(-1); }, {0xAA}},
        {[&] { radio.MemRead(0x1234, &value); }, {0xB4, 0x01, 0x12, 0x34}},
        {[&] { radio.ReadAdc(9, &value); }, {0xB4, 0x08, 0x01}},
        {[&] { radio.WriteLcd("12", "HELLO", 0xFFFF, 0); },
         {0xB4, 0x84, '1', '2', 'H', 'E', 'L', 'L', 'O', 0xFF, 0xFF, 0x00}},
        {[&] { radio.WriteLcd("  ", "AB CD", 0x1234, 1); },
         {0xB4, 0x84, ' ', ' ', 'A', 'B', ' ', 'C', 'D', 0x34, 0x12, 0x01}},
        {[&] { radio.SetFrequency(38114); }, {0xB4, 0x88, 0x94, 0xE2}},
        {[&] { radio.AutoAlign(5, 0, 255, 16); }, {0xB4, 0x89, 0x05, 0x00, 0xFF, 0x10}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        sim.clearLog();
        cases[i].first();
        ASSERT_TRUE(sim.waitForRequests(1, 2000));
        EXPECT_EQ(sim.requests().at(0), cases[i].second);
    }
    EXPECT_FALSE(monitor.Lines().contains("Comms Error"));
}

TEST_F(RadioTest, ReadBlockStoresSixteenBytesAtItsAddressClippedAtTheEnd)
{
    EXPECT_EQ(radio.ReadBlock(0x10), 0);
    EXPECT_EQ(sim.requests().at(0), (Bytes{0x83, 0x00, 0x10}));
    EXPECT_EQ(ImageBytes(0x0F, 18), Bytes{0xFF} + Pattern(0x10, 16) + Bytes{0xFF});
    EXPECT_EQ(monitor.Lines(), (QStringList{"TX :83 00 10 ", "RX :83 00 10 10 11 12 13 14 15 16 17 18 19 1A "
                                                             "1B 1C 1D 1E 1F "}));

    EXPECT_EQ(radio.ReadBlock(0xF8), 0);
    EXPECT_EQ(ImageBytes(0xE8, 24), Bytes(16, 0xFF) + Pattern(0xF8, 8));
    EXPECT_EQ(image.GetSize(), 256);
}

TEST_F(RadioTest, ByteAndWordCommandsKeepTheImageInStep)
{
    int value = -5;
    EXPECT_EQ(radio.ReadByte(0x21, &value), 0);
    EXPECT_EQ(value, 0x21);
    EXPECT_EQ(image.GetByte(0x21), 0x21);
    EXPECT_EQ(radio.ReadWord(0x30, &value), 0);
    EXPECT_EQ(value, 0x3031);
    EXPECT_EQ(image.GetWord(0x30), 0x3031);

    EXPECT_EQ(radio.WriteByte(0x40, 0x1AB), 0);
    EXPECT_EQ(image.GetByte(0x40), 0xAB);
    EXPECT_EQ(sim.byteAt(0x40), 0xAB);
    EXPECT_EQ(radio.WriteWord(0x42, 0xBEEF), 0);
    EXPECT_EQ(image.GetWord(0x42), 0xBEEF);
    const Bytes block = Pattern(0x90, 16);
    EXPECT_EQ(radio.WriteBlock(0x50, block.data()), 0);
    EXPECT_EQ(ImageBytes(0x50, 16), Bytes(16, 0xFF)); // the image is not touched
    EXPECT_EQ(sim.byteAt(0x5F), 0x9F);
}

TEST_F(RadioTest, ClosedPortSendsAndTracesNothing)
{
    serialPort->SerialPortClose();
    int value = 77;
    EXPECT_EQ(radio.QueryChannel(), -1);
    EXPECT_EQ(radio.ReadBlock(0), 1);
    EXPECT_EQ(radio.ReadAdc(1, &value), 1);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(radio.SetPtt(1), 0);
    EXPECT_TRUE(monitor.Lines().isEmpty());
    EXPECT_EQ(sim.requestCount(), 0);
    EXPECT_EQ(ImageBytes(0, 16), Bytes(16, 0xFF));

    // No port object at all behaves the same.
    delete serialPort;
    serialPort = nullptr;
    EXPECT_EQ(radio.QueryChannel(), -1);
    EXPECT_TRUE(monitor.Lines().isEmpty());
}

TEST_F(RadioTest, TimeoutFailsAndHandsOutEarlierValues)
{
    sim.setStatus(3);
    int status = -1;
    EXPECT_EQ(radio.QueryStatus(&status), 0);
    EXPECT_EQ(status, 3);

    sim.setSilent(true);
    sim.setStatus(9);
    monitor.btnClearClick();
    EXPECT_EQ(radio.QueryStatus(&status), 0);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(radio.ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));
    EXPECT_EQ(radio.QueryChannel(), -1);
    EXPECT_EQ(monitor.Lines(), (QStringList{"TX :85 ", "Comms Error", "TX :83 00 10 ", "Comms Error",
                                            "TX :84 ", "Comms Error"}));
    // With tracing off only the error lines appear.
    EnableMonitor(false);
    EXPECT_EQ(radio.ResetRadio(), 1);
    EXPECT_EQ(monitor.Lines(), QStringList{"Comms Error"});
}

TEST_F(RadioTest, AutoAlignWaitsLongerOnceThenBackToNormal)
{
    sim.setReplyDelayMs(1500); // beyond the normal wait, well inside the long one
    EXPECT_EQ(radio.AutoAlign(5, 0, 255, 16), 0);
    EXPECT_FALSE(monitor.Lines().contains("Comms Error"));
    EXPECT_EQ(serialPort->ReplyTimeout(), 500);
    int value = 42;
    EXPECT_EQ(radio.ReadAdc(0, &value), 1);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(monitor.Lines().back(), "Comms Error");
}

TEST_F(RadioTest, NotRecognisedReplyStoresNothing)
{
    ASSERT_EQ(radio.ReadBlock(0x30), 0); // leaves its data in blockValues
    sim.setNotRecognised({0x03, 0x21});
    monitor.btnClearClick();

    EXPECT_EQ(radio.ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));
    EXPECT_EQ(monitor.Lines(), (QStringList{"TX :83 00 10 ", "RX :C3 ", "Error: Command Not Recognised"}));
    EXPECT_EQ(radio.WriteByte(0x60, 0x12), 1);
    EXPECT_EQ(image.GetByte(0x60), 0xFF);
    EnableMonitor(false);
    EXPECT_EQ(radio.ReadBlock(0x10), 1);
    EXPECT_EQ(monitor.Lines(), QStringList{"Error: Command Not Recognised"});
}

TEST_F(RadioTest, ShortOrForeignRepliesNeverReachTheImage)
{
    // A block reply cut short.
    sim.replaceNextReply({0x83, 0x00, 0x10, 0x01, 0x02, 0x03});
    EXPECT_EQ(radio.ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));

    // A reply for another block: not stored anywhere.
    sim.replaceNextReply(Bytes{0x83, 0x00, 0x20} + Pattern(0xA0, 16));
    EXPECT_EQ(radio.ReadBlock(0x40), 1);
    EXPECT_EQ(ImageBytes(0x20, 16), Bytes(16, 0xFF));
    EXPECT_EQ(ImageBytes(0x40, 16), Bytes(16, 0xFF));

    // A byte read answered by a word reply.
    sim.replaceNextReply({0x82, 0x00, 0x50, 0x12, 0x34});
    int value = 7;
    EXPECT_EQ(radio.ReadByte(0x50, &value), 1);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(image.GetByte(0x50), 0xFF);
}

// A reply the radio sends twice is not taken as the answer to the next request (late and
// unasked frames are the serial port's tests).
TEST_F(RadioTest, ARepeatedReplyDoesNotAnswerTheNextRequest)
{
    sim.repeatNextReply(20);
    EXPECT_EQ(radio.ReadBlock(0x20), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the copy is in
    for (int address : {0x30, 0x40}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(radio.ReadBlock(address), 0);
        EXPECT_EQ(ImageBytes(address, 16), Pattern(address, 16));
    }
}

TEST_F(RadioTest, FirmwareText)
{
    std::string text = "stale";
    EXPECT_EQ(radio.GetFirmwareText(text), 0);
    EXPECT_EQ(text, "");
    sim.setVersion(1, 5, 'A');
    ASSERT_EQ(radio.QueryVersion(), 0);
    EXPECT_EQ(radio.GetFirmwareText(text), 1);
    EXPECT_EQ(text, "v1.05A");
    sim.setVersion(12, 0x10, 0);
    ASSERT_EQ(radio.QueryVersion(), 0);
    EXPECT_EQ(radio.GetFirmwareText(text), 1);
    EXPECT_EQ(text, "v0C.10");

    // A failed, letterless or rejected answer forgets the version.
    sim.setSilent(true);
    EXPECT_EQ(radio.QueryVersion(), 1);
    EXPECT_EQ(radio.GetFirmwareText(text), 0);
    EXPECT_EQ(text, "");
    sim.setSilent(false);
    sim.replaceNextReply({0x80, 0x01});
    EXPECT_EQ(radio.QueryVersion(), 1);
    EXPECT_EQ(radio.fwMajor, -1);
    sim.setNotRecognised({0x00});
    EXPECT_EQ(radio.QueryVersion(), 1);
    EXPECT_EQ(radio.GetFirmwareText(text), 0);
}

// Decoding alone, without the line.
TEST(HandleReply, ServiceFieldsAndShortOrRejectedRepliesStoreNothing)
{
    KR5100 radio{nullptr};
    auto decode = [&](const Bytes& bytes) {
        RadioPacket p;
        p.length = static_cast<int>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), p.bytes);
        return radio.HandleReply(p);
    };
    EXPECT_EQ(decode({0xA9, 140}), 0);
    EXPECT_EQ(radio.currentChannel, 140);
    EXPECT_EQ(decode({0xB4, 0x07, 0x03, 0xF0}), 0); // single DAC, unsigned
    EXPECT_EQ(radio.dacValues[3], 0xF0);
    EXPECT_EQ(decode({0xB4, 0x07, 0x09, 0x11}), 0); // no such DAC: nothing
    EXPECT_EQ(radio.dacValues[1], 0);
    EXPECT_EQ(decode({0xB4, 0x08, 0x0E, 0x99}), 0);
    EXPECT_EQ(radio.adcValues[6], 0x99);
    EXPECT_EQ(decode({0xB4, 0x55, 0x01, 0x02}), 0); // unknown sub-command

    Bytes block{0xC3, 0x00, 0x10};
    block.resize(19, 0x55);
    EXPECT_EQ(decode(block), 1);
    for (int v : radio.blockValues)
        EXPECT_EQ(v, 0);
    EXPECT_EQ(decode({}), 2);
    EXPECT_EQ(decode({0x83, 0x00, 0x10, 0x01}), 2);
    EXPECT_EQ(radio.blockValues[0], 0);
    EXPECT_EQ(decode({0xB4, 0x07, 0xFF, 1, 2, 3}), 2); // all DACs, cut short
    EXPECT_EQ(radio.dacValues[0], 0);
    EXPECT_EQ(decode({0x84}), 2);
    EXPECT_EQ(radio.currentChannel, 140);
}

} // namespace
