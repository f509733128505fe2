// The radio command layer against the simulated radio on a pty.
#include "eeprom.h"
#include "monitor.h"
#include "radio.h"
#include "serialport.h"

#include "support/kr5180_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <QCheckBox>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using testsupport::Bytes;

namespace {

QString HexLine(const char* prefix, const Bytes& bytes)
{
    QString line = QString::fromLatin1(prefix);
    for (std::uint8_t b : bytes)
        line += QString::asprintf("%02X ", b);
    return line;
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
        sim = std::make_unique<testsupport::Kr5180Sim>();
        mapping = std::make_unique<testsupport::ComMapping>(1, sim->slavePath());
        serialPort = new SerialPort;
        ASSERT_TRUE(serialPort->SerialPortOpen("COM1", 9600));
        image = std::make_unique<EEPROM>();
        image->Fill(0xFF);
        monitor = std::make_unique<TfrmCommsMonitor>(nullptr);
        frmCommsMonitor = monitor.get();
        EnableMonitor(true);
        radio = std::make_unique<KR5100>(image.get());
    }

    void TearDown() override
    {
        delete serialPort;
        serialPort = nullptr;
        frmCommsMonitor = nullptr;
        monitor.reset();
        mapping.reset();
        sim.reset();
    }

    void EnableMonitor(bool on)
    {
        auto* box = monitor->findChild<QCheckBox*>("cbEnableMonitor");
        if (box->isChecked() != on)
            box->click();
    }

    Bytes ImageBytes(int address, int count)
    {
        Bytes b;
        for (int i = 0; i < count; ++i)
            b.push_back(static_cast<std::uint8_t>(image->GetByte(address + i)));
        return b;
    }

    // Loads the radio's memory with 0x00..0xFF.
    void LoadSimPattern() { sim->setMemory(Pattern(0, 256)); }

    std::unique_ptr<testsupport::Kr5180Sim> sim;
    std::unique_ptr<testsupport::ComMapping> mapping;
    std::unique_ptr<EEPROM> image;
    std::unique_ptr<TfrmCommsMonitor> monitor;
    std::unique_ptr<KR5100> radio;
};

// Each operation's request as it goes on the wire, and in the trace.
TEST_F(RadioTest, RequestEncodings)
{
    std::uint8_t block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = static_cast<std::uint8_t>(0x7D + i);
    int value = 0;
    struct Case {
        const char* name;
        std::function<void()> call;
        Bytes wire;
    };
    const std::vector<Case> cases = {
        {"QueryVersion", [&] { radio->QueryVersion(); }, {0x80}},
        {"ReadByte", [&] { radio->ReadByte(0x20, &value); }, {0x81, 0x00, 0x20}},
        {"ReadWord", [&] { radio->ReadWord(0x2C, &value); }, {0x82, 0x00, 0x2C}},
        {"ReadBlock", [&] { radio->ReadBlock(0x10); }, {0x83, 0x00, 0x10}},
        {"QueryChannel", [&] { radio->QueryChannel(); }, {0x84}},
        {"QueryStatus", [&] { radio->QueryStatus(&value); }, {0x85}},
        {"WriteByte", [&] { radio->WriteByte(0x20, 0x17E); }, {0xA1, 0x00, 0x20, 0x7E}},
        {"WriteWord", [&] { radio->WriteWord(0x2C, 0x1234); }, {0xA2, 0x00, 0x2C, 0x12, 0x34}},
        {"WriteBlock", [&] { radio->WriteBlock(0xF0, block); },
         {0xA3, 0x00, 0xF0, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88,
          0x89, 0x8A, 0x8B, 0x8C}},
        {"SetChannel", [&] { radio->SetChannel(150); }, {0xA4, 0x96}},
        {"SetPtt", [&] { radio->SetPtt(3); }, {0xA6, 0x01}},
        {"SetSquelchLevel", [&] { radio->SetSquelchLevel(0x105); }, {0xA7, 0x05}},
        {"SendRemoteKey", [&] { radio->SendRemoteKey(7, 4); }, {0xA8, 0x07, 0x04}},
        {"StepChannel up", [&] { radio->StepChannel(0); }, {0xA9}},
        {"StepChannel down", [&] { radio->StepChannel(-1); }, {0xAA}},
        {"MemRead", [&] { radio->MemRead(0x1234, &value); }, {0xB4, 0x01, 0x12, 0x34}},
        {"ReadDacs", [&] { radio->ReadDacs(255); }, {0xB4, 0x07, 0xFF}},
        {"ReadAdc", [&] { radio->ReadAdc(9, &value); }, {0xB4, 0x08, 0x01}},
        {"MemWrite", [&] { radio->MemWrite(0x30, 0xA5, 0x0F); }, {0xB4, 0x81, 0x00, 0x30, 0xA5, 0x0F}},
        {"SetCtcss", [&] { radio->SetCtcss(12); }, {0xB4, 0x83, 0x0C}},
        {"WriteLcd mask FFFF", [&] { radio->WriteLcd("12", "HELLO", 0xFFFF, 0); },
         {0xB4, 0x84, '1', '2', 'H', 'E', 'L', 'L', 'O', 0xFF, 0xFF, 0x00}},
        {"WriteLcd mask 1234", [&] { radio->WriteLcd("  ", "AB CD", 0x1234, 1); },
         {0xB4, 0x84, ' ', ' ', 'A', 'B', ' ', 'C', 'D', 0x34, 0x12, 0x01}},
        {"SetSquelch", [&] { radio->SetSquelch(1); }, {0xB4, 0x86, 0x01}},
        {"SetDac", [&] { radio->SetDac(3, 200); }, {0xB4, 0x87, 0x03, 0xC8}},
        {"SetFrequency", [&] { radio->SetFrequency(38114); }, {0xB4, 0x88, 0x94, 0xE2}},
        {"AutoAlign", [&] { radio->AutoAlign(5, 0, 255, 16); }, {0xB4, 0x89, 0x05, 0x00, 0xFF, 0x10}},
        {"SetBeep", [&] { radio->SetBeep(5, 0); }, {0xB4, 0x8A, 0x05, 0x00}},
        {"SetTestMode", [&] { radio->SetTestMode(1); }, {0xB8, 0x01}},
        {"EnterProgMode", [&] { radio->EnterProgMode(); }, {0xB9}},
        {"ResetRadio", [&] { radio->ResetRadio(); }, {0xBF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearLog();
        monitor->btnClearClick();
        c.call();
        ASSERT_TRUE(sim->waitForRequests(1, 2000));
        EXPECT_EQ(sim->requests().at(0), c.wire);
        const QStringList lines = monitor->Lines();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.at(0), HexLine("TX :", c.wire));
        EXPECT_TRUE(lines.at(1).startsWith("RX :")) << lines.at(1).toStdString();
        EXPECT_FALSE(lines.contains("Comms Error"));
    }
}

TEST_F(RadioTest, ReadBlockStoresSixteenBytesAtItsAddress)
{
    LoadSimPattern();
    EXPECT_EQ(radio->ReadBlock(0x10), 0);
    EXPECT_EQ(sim->requests().at(0), (Bytes{0x83, 0x00, 0x10}));
    EXPECT_EQ(ImageBytes(0x10, 16), Pattern(0x10, 16));
    EXPECT_EQ(image->GetByte(0x0F), 0xFF);
    EXPECT_EQ(image->GetByte(0x20), 0xFF);
    Bytes reply{0x83, 0x00, 0x10};
    const Bytes data = Pattern(0x10, 16);
    reply.insert(reply.end(), data.begin(), data.end());
    EXPECT_EQ(monitor->Lines(), (QStringList{"TX :83 00 10 ", HexLine("RX :", reply)}));
}

TEST_F(RadioTest, ReadBlockAtF8StoresOnlyWhatFits)
{
    LoadSimPattern();
    EXPECT_EQ(radio->ReadBlock(0xF8), 0);
    EXPECT_EQ(ImageBytes(0xF8, 8), Pattern(0xF8, 8));
    EXPECT_EQ(ImageBytes(0xE8, 16), Bytes(16, 0xFF));
    EXPECT_EQ(image->GetSize(), 256);
}

TEST_F(RadioTest, ByteAndWordCommandsKeepTheImageInStep)
{
    LoadSimPattern();
    int value = -5;
    EXPECT_EQ(radio->ReadByte(0x21, &value), 0);
    EXPECT_EQ(value, 0x21);
    EXPECT_EQ(image->GetByte(0x21), 0x21);
    EXPECT_EQ(radio->ReadByte(0x22), 0); // no value out
    EXPECT_EQ(image->GetByte(0x22), 0x22);

    EXPECT_EQ(radio->ReadWord(0x30, &value), 0);
    EXPECT_EQ(value, 0x3031);
    EXPECT_EQ(image->GetWord(0x30), 0x3031);

    EXPECT_EQ(radio->WriteByte(0x40, 0x1AB), 0);
    EXPECT_EQ(image->GetByte(0x40), 0xAB);
    EXPECT_EQ(sim->byteAt(0x40), 0xAB);
    EXPECT_EQ(radio->WriteWord(0x42, 0xBEEF), 0);
    EXPECT_EQ(image->GetByte(0x42), 0xBE);
    EXPECT_EQ(image->GetByte(0x43), 0xEF);

    const Bytes block = Pattern(0x90, 16);
    EXPECT_EQ(radio->WriteBlock(0x50, block.data()), 0);
    EXPECT_EQ(ImageBytes(0x50, 16), Bytes(16, 0xFF)); // the image is not touched
    EXPECT_EQ(sim->byteAt(0x5F), 0x9F);
}

TEST_F(RadioTest, ClosedPortSendsAndTracesNothing)
{
    serialPort->SerialPortClose();
    int value = 77;
    EXPECT_EQ(radio->QueryChannel(), -1);
    EXPECT_EQ(radio->QueryVersion(), 1);
    EXPECT_EQ(radio->ReadBlock(0), 1);
    EXPECT_EQ(radio->ReadAdc(1, &value), 1);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(radio->SetPtt(1), 0);
    EXPECT_EQ(radio->AutoAlign(1, 0, 255, 1), 0);
    EXPECT_TRUE(monitor->Lines().isEmpty());
    EXPECT_EQ(sim->requestCount(), 0);
    EXPECT_EQ(ImageBytes(0, 16), Bytes(16, 0xFF));

    // No port object at all behaves the same.
    delete serialPort;
    serialPort = nullptr;
    EXPECT_EQ(radio->QueryChannel(), -1);
    EXPECT_TRUE(monitor->Lines().isEmpty());
}

TEST_F(RadioTest, TimeoutFailsAndHandsOutEarlierValues)
{
    sim->setStatus(3);
    int status = -1;
    EXPECT_EQ(radio->QueryStatus(&status), 0);
    EXPECT_EQ(status, 3);
    sim->setMemory(Pattern(0x40, 16));
    ASSERT_EQ(radio->ReadBlock(0), 0);

    sim->setSilent(true);
    sim->setStatus(9);
    monitor->btnClearClick();
    status = -1;
    EXPECT_EQ(radio->QueryStatus(&status), 0);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(radio->ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));
    EXPECT_EQ(radio->QueryChannel(), -1);
    EXPECT_EQ(monitor->Lines(), (QStringList{"TX :85 ", "Comms Error", "TX :83 00 10 ", "Comms Error",
                                             "TX :84 ", "Comms Error"}));
}

TEST_F(RadioTest, AutoAlignWaitsLongerOnceThenBackToNormal)
{
    sim->setReplyDelayMs(1500); // beyond the normal wait, well inside the long one
    EXPECT_EQ(radio->AutoAlign(5, 0, 255, 16), 0);
    EXPECT_EQ(sim->requests().at(0), (Bytes{0xB4, 0x89, 0x05, 0x00, 0xFF, 0x10}));
    EXPECT_FALSE(monitor->Lines().contains("Comms Error"));
    EXPECT_EQ(serialPort->ReplyTimeout(), 500);

    int value = 42;
    EXPECT_EQ(radio->ReadAdc(0, &value), 1);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(monitor->Lines().back(), "Comms Error");
}

TEST_F(RadioTest, NotRecognisedReplyStoresNothing)
{
    LoadSimPattern();
    ASSERT_EQ(radio->ReadBlock(0x30), 0); // leaves its data in blockValues
    sim->setNotRecognised({0x03, 0x00, 0x21, 0x34, 0x04});
    monitor->btnClearClick();

    EXPECT_EQ(radio->ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));
    EXPECT_EQ(monitor->Lines(),
              (QStringList{"TX :83 00 10 ", "RX :C3 ", "Error: Command Not Recognised"}));

    EXPECT_EQ(radio->QueryVersion(), 1);
    std::string text = "x";
    EXPECT_EQ(radio->GetFirmwareText(text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(radio->WriteByte(0x60, 0x12), 1);
    EXPECT_EQ(image->GetByte(0x60), 0xFF);
    int value = 42;
    EXPECT_EQ(radio->ReadAdc(2, &value), 1);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(radio->QueryChannel(), -1);
}

TEST_F(RadioTest, ShortOrForeignRepliesNeverReachTheImage)
{
    LoadSimPattern();
    sim->setSilent(true);

    // A block reply cut short.
    sim->sendUnsolicited({0x83, 0x00, 0x10, 0x01, 0x02, 0x03});
    EXPECT_EQ(radio->ReadBlock(0x10), 1);
    EXPECT_EQ(ImageBytes(0x10, 16), Bytes(16, 0xFF));

    // A late reply to an earlier block read answers the next one: not stored anywhere.
    EXPECT_EQ(radio->ReadBlock(0x20), 1); // times out
    Bytes late{0x83, 0x00, 0x20};
    const Bytes data = Pattern(0xA0, 16);
    late.insert(late.end(), data.begin(), data.end());
    sim->sendUnsolicited(late);
    EXPECT_EQ(radio->ReadBlock(0x40), 1);
    EXPECT_EQ(ImageBytes(0x20, 16), Bytes(16, 0xFF));
    EXPECT_EQ(ImageBytes(0x40, 16), Bytes(16, 0xFF));

    // A byte read answered by a word reply.
    sim->sendUnsolicited({0x82, 0x00, 0x50, 0x12, 0x34});
    int value = 7;
    EXPECT_EQ(radio->ReadByte(0x50, &value), 1);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(image->GetByte(0x50), 0xFF);

    // A version reply without its letter.
    sim->sendUnsolicited({0x80, 0x01});
    EXPECT_EQ(radio->QueryVersion(), 1);
    EXPECT_EQ(radio->fwMajor, -1);
}

TEST_F(RadioTest, FirmwareText)
{
    std::string text = "stale";
    EXPECT_EQ(radio->GetFirmwareText(text), 0);
    EXPECT_EQ(text, "");

    sim->setVersion(1, 5, 'A');
    ASSERT_EQ(radio->QueryVersion(), 0);
    EXPECT_EQ(radio->GetFirmwareText(text), 1);
    EXPECT_EQ(text, "v1.05A");

    sim->setVersion(12, 0x10, 0);
    ASSERT_EQ(radio->QueryVersion(), 0);
    EXPECT_EQ(radio->GetFirmwareText(text), 1);
    EXPECT_EQ(text, "v0C.10");

    // A failed query forgets the version.
    sim->setSilent(true);
    EXPECT_EQ(radio->QueryVersion(), 1);
    EXPECT_EQ(radio->GetFirmwareText(text), 0);
    EXPECT_EQ(text, "");
}

TEST_F(RadioTest, ChannelStatusAndServiceReadings)
{
    sim->setChannel(150);
    EXPECT_EQ(radio->QueryChannel(), 150);
    EXPECT_EQ(radio->StepChannel(1), 0);
    EXPECT_EQ(radio->currentChannel, 151);
    EXPECT_EQ(radio->StepChannel(-3), 0);
    EXPECT_EQ(radio->currentChannel, 150);

    sim->setAdc(5, 0xC8);
    int value = -1;
    EXPECT_EQ(radio->ReadAdc(13, &value), 0); // index 13 & 7 = 5
    EXPECT_EQ(value, 0xC8);

    for (int i = 0; i < 8; ++i)
        sim->setDac(i, static_cast<std::uint8_t>(0xF0 + i));
    EXPECT_EQ(radio->ReadDacs(255), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(radio->dacValues[i], 0xF0 + i);

    sim->setMemory(Pattern(0, 256));
    EXPECT_EQ(radio->MemRead(0x77, &value), 0);
    EXPECT_EQ(value, 0x77);
}

// Decoding alone, without the line.
class HandleReplyTest : public ::testing::Test {
protected:
    int Decode(const Bytes& bytes)
    {
        RadioPacket p;
        p.length = static_cast<int>(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            p.bytes[i] = bytes[i];
        return radio.HandleReply(p);
    }
    KR5100 radio{nullptr};
};

TEST_F(HandleReplyTest, FieldsFromFixedPositions)
{
    EXPECT_EQ(Decode({0x80, 0x02, 0x31, 'B'}), 0);
    EXPECT_EQ(radio.fwMajor, 2);
    EXPECT_EQ(radio.fwMinor, 0x31);
    EXPECT_EQ(radio.fwLetter, 'B');
    EXPECT_EQ(Decode({0x82, 0x00, 0x10, 0xAB, 0xCD}), 0);
    EXPECT_EQ(radio.lastValue, 0xABCD);
    EXPECT_EQ(Decode({0x81, 0x00, 0x10, 0xFE}), 0);
    EXPECT_EQ(radio.lastValue, 0xFE);
    EXPECT_EQ(Decode({0xA9, 140}), 0);
    EXPECT_EQ(radio.currentChannel, 140);
    EXPECT_EQ(Decode({0x85, 0x81}), 0);
    EXPECT_EQ(radio.radioStatus, 0x81);
    EXPECT_EQ(Decode({0xB4, 0x01, 0x00, 0x20, 0x5A}), 0);
    EXPECT_EQ(radio.memReadValue, 0x5A);
    EXPECT_EQ(Decode({0xB4, 0x07, 0x03, 0xF0}), 0); // single DAC, unsigned
    EXPECT_EQ(radio.dacValues[3], 0xF0);
    EXPECT_EQ(Decode({0xB4, 0x07, 0x09, 0x11}), 0); // no such DAC: nothing
    EXPECT_EQ(radio.dacValues[1], 0);
    EXPECT_EQ(Decode({0xB4, 0x08, 0x0E, 0x99}), 0);
    EXPECT_EQ(radio.adcValues[6], 0x99);
    EXPECT_EQ(Decode({0xB4, 0x55, 0x01, 0x02}), 0); // unknown sub-command
    EXPECT_EQ(Decode({0xBF}), 0);
}

TEST_F(HandleReplyTest, RejectedAndShortRepliesStoreNothing)
{
    Bytes block{0xC3, 0x00, 0x10};
    for (int i = 0; i < 16; ++i)
        block.push_back(0x55);
    EXPECT_EQ(Decode(block), 1);
    for (int v : radio.blockValues)
        EXPECT_EQ(v, 0);
    EXPECT_EQ(Decode({0xC0, 0x01, 0x02, 0x03}), 1);
    EXPECT_EQ(radio.fwMajor, -1);

    EXPECT_EQ(Decode({}), 2);
    EXPECT_EQ(radio.fwMajor, -1);
    EXPECT_EQ(Decode({0x83, 0x00, 0x10, 0x01}), 2);
    EXPECT_EQ(radio.blockValues[0], 0);
    EXPECT_EQ(Decode({0xB4, 0x07, 0xFF, 1, 2, 3}), 2);
    EXPECT_EQ(radio.dacValues[0], 0);
    EXPECT_EQ(Decode({0x84}), 2);
    EXPECT_EQ(radio.currentChannel, 0);
}

} // namespace
