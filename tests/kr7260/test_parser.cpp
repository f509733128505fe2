// The frame parser: reply recognition in the receive ring, and the link's threads on a pty.
// ctest-label: threaded
#include "kr72wire.h"
#include "radio_rw.h"
#include "rs232.h"
#include "ser_com.h"

#include "frames.h"

#include "support/dialogs.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <random>
#include <vector>

namespace {

using k7test::blockReply;
using k7test::Bytes;
using k7test::frame;
using k7test::versionReply;
using namespace kr72wire;

class Parser : public ::testing::Test {
protected:
    Parser()
    {
        transfer.Attach(&link, &image);
    }
    void feed(const Bytes& b) { proc.Receive(b.data(), int(b.size())); }

    TRadioImage image;
    TfrmSerial link;
    TTransferCore transfer;
    rs232_processor proc{link};
};

TEST_F(Parser, ReplySplitOverTwoReadsCountsWhenTheTerminatorArrives)
{
    Bytes r = frame({9, 8, 7, 6}, EnterProgramMode);
    feed(Bytes(r.begin(), r.end() - 1));
    EXPECT_EQ(link.LastReply, 0);
    EXPECT_FALSE(link.ProgramModeAck());
    feed({0xCC});
    EXPECT_EQ(link.LastReply, EnterProgramMode);
    EXPECT_TRUE(link.ProgramModeAck());

    // A bad checksum is dropped without trace.
    link.LastReply = 0;
    Bytes bad = frame({0, 0, 0, 0}, WriteBlock);
    bad[4] ^= 1;
    feed(bad);
    EXPECT_EQ(link.LastReply, 0);
}

TEST_F(Parser, FramesWrappingFromPosition100To0)
{
    feed(Bytes(97, 0x00));
    ASSERT_EQ(link.RingWriteIndex, 97);
    feed(frame({1, 2, 3, 4}, WriteBlock)); // positions 97..100, 0..2
    EXPECT_EQ(link.LastReply, WriteBlock);
    EXPECT_EQ(link.RingWriteIndex, 3);

    // A 21-byte block whose checksum byte sits at position 100 and the terminator at 1.
    feed(Bytes(79, 0x00));
    ASSERT_EQ(link.RingWriteIndex, 82);
    transfer.CurrentAddress = 16;
    feed(blockReply(16, {0x0102, 0x0304, 0xCCCC, 0x0000, 0xFFFF, 0x1234, 0x00CC, 0xCC00}));
    EXPECT_EQ(link.LastReply, ReadBlock);
    EXPECT_EQ(link.RingWriteIndex, 2);
    const int expect[8] = {0x0102, 0x0304, 0xCCCC, 0x0000, 0xFFFF, 0x1234, 0x00CC, 0xCC00};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(transfer.ReceiveBuffer[16 + i], expect[i]) << i;
}

TEST_F(Parser, BlockReplyForAnotherAddressChangesNothing)
{
    transfer.CurrentAddress = 8;
    feed(blockReply(16, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(link.LastReply, 0);
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(transfer.ReceiveBuffer[k], 0) << k;

    feed(blockReply(8, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(link.LastReply, ReadBlock);
    EXPECT_EQ(transfer.ReceiveBuffer[8], 1);
    EXPECT_EQ(transfer.ReceiveBuffer[15], 8);
    EXPECT_EQ(transfer.ReceiveBuffer[16], 0);
}

TEST_F(Parser, VersionReplies)
{
    feed(frame({0}, Version)); // length 0
    EXPECT_EQ(link.LastReply, 0);
    EXPECT_EQ(link.GetRadioVersion(), "");

    feed(versionReply("ABCDE"));
    EXPECT_EQ(link.LastReply, Version);
    EXPECT_EQ(link.GetRadioVersion(), "ABCDE");

    // Longer than the 19-character limit: cut to the first 19.
    link.LastReply = 0;
    feed(versionReply("KR7260d-0123456789ABCDEFG"));
    EXPECT_EQ(link.LastReply, Version);
    EXPECT_EQ(link.GetRadioVersion(), "KR7260d-0123456789A");

    // A length byte that claims more characters than the ring holds is never accepted.
    link.LastReply = 0;
    Bytes junk(60, 'x');
    junk.push_back(200);
    feed(frame(junk, Version));
    EXPECT_EQ(link.LastReply, 0);
    EXPECT_EQ(link.GetRadioVersion(), "KR7260d-0123456789A");
}

TEST_F(Parser, LiveValueRepliesSetWordOneAndReportLevels)
{
    image.Set(1, 0x7F0033);
    image.SetLiveGate(true); // as the squelch window opens it
    std::vector<std::pair<int, int>> levels;
    QObject::connect(&link, &TfrmSerial::sMeterLevel, [&](int s, int v) { levels.push_back({s, v}); });
    link.LastReply = WriteBlock;

    feed(frame({0x40, 0x99, 2, 0x55}, LiveValue)); // S1 level: high byte of word 1
    EXPECT_EQ(image.Get(1), 0x7F4033);
    feed(frame({0x21, 0x99, 3, 0x00}, LiveValue)); // S9 level: low byte
    EXPECT_EQ(image.Get(1), 0x7F4021);
    feed(frame({0x0A, 0xB0, 6, 0x00}, LiveValue));
    EXPECT_EQ(link.BusyLevel, 0x0A);
    EXPECT_EQ(link.RssiLevel, 0xB0);
    feed(frame({0x11, 0x22, 4, 0x00}, LiveValue)); // unknown sub-code
    EXPECT_EQ(image.Get(1), 0x7F4021);
    EXPECT_EQ(levels, (std::vector<std::pair<int, int>>{{2, 64}, {3, 0x21}}));
    EXPECT_EQ(link.LastReply, WriteBlock); // never changed by a live reply
}

TEST_F(Parser, LiveLevelsReachWordOneOnlyThroughTheOpenGateAndNeverDuringATransfer)
{
    image.Set(1, 0x1234);
    const Bytes s1 = frame({0x40, 0, LiveSetS1, 0}, LiveValue);
    feed(s1); // the gate starts closed: no window has opened it
    EXPECT_EQ(image.Get(1), 0x1234);

    image.SetLiveGate(true);
    transfer.WriteState = 10; // a transfer runs
    feed(s1);
    EXPECT_EQ(image.Get(1), 0x1234);
}

TEST_F(Parser, SingleWordRepliesCountOnlyForTheirAddress)
{
    transfer.CurrentAddress = 40;
    feed(frame({0x34, 0x12, 41, 0x00}, ReadWord));
    EXPECT_EQ(link.LastReply, 0);
    EXPECT_EQ(transfer.ReceiveBuffer[41], 0);
    feed(frame({0x34, 0x12, 40, 0x00}, ReadWordAlt));
    EXPECT_EQ(link.LastReply, ReadWordAlt);
    EXPECT_EQ(transfer.ReceiveBuffer[40], 0x1234);

    // While the engineering window waits: only its address ends the wait; LastReply stays.
    link.LastReply = 0;
    link.WaitingForWord = 1;
    link.WordAddress = 5;
    feed(frame({0x2B, 0x1A, 6, 0x00}, WriteWord));
    EXPECT_EQ(link.WaitingForWord, 1);
    feed(frame({0x2B, 0x1A, 5, 0x00}, WriteWord));
    EXPECT_EQ(link.WaitingForWord, 0);
    EXPECT_EQ(link.WordValue, 0x1A2B);
    EXPECT_EQ(link.LastReply, 0);
    EXPECT_EQ(transfer.ReceiveBuffer[5], 0);
}

TEST_F(Parser, ResetWhileDrainingLeavesTheIndices)
{
    int seenWrite = -1, seenRead = -1;
    QObject::connect(&link, &TfrmSerial::sMeterLevel, [&](int, int) {
        link.ResetReceiveRing(); // the parser is draining: no effect
        seenWrite = link.RingWriteIndex;
        seenRead = link.RingReadIndex;
    });
    feed(Bytes(10, 0x01));
    feed(frame({0x40, 0, 2, 0}, LiveValue));
    EXPECT_EQ(seenWrite, 17);
    EXPECT_EQ(seenRead, 17);
    EXPECT_EQ(link.RingWriteIndex, 17);
    EXPECT_FALSE(link.ParserBusy);

    link.ResetReceiveRing(); // idle: empties the ring
    EXPECT_EQ(link.RingWriteIndex, 0);
    EXPECT_EQ(link.RingReadIndex, 0);
}

TEST_F(Parser, StrayTerminatorsAndNoiseCostOnlyRejectedParses)
{
    // 0xCC as checksum: payload summing to 0x33.
    feed({0xCC, 0xCC, 0xCC});
    feed(frame({0x33, 0, 0, 0}, WriteBlock));
    EXPECT_EQ(link.LastReply, WriteBlock);

    // A whole burst in one read, the reply last; then random noise must not crash
    // or overrun anything, and a good reply after it still counts.
    transfer.CurrentAddress = 0;
    Bytes burst(93, 0xCC);
    Bytes r = frame({0, 0, 0, 0}, EnterProgramMode);
    burst.insert(burst.end(), r.begin(), r.end());
    link.LastReply = 0;
    feed(burst);
    EXPECT_EQ(link.LastReply, EnterProgramMode);

    std::mt19937 rng(7);
    Bytes noise(5000);
    for (auto& b : noise)
        b = std::uint8_t(rng() % 3 == 0 ? 0xCC : rng());
    for (std::size_t i = 0; i < noise.size(); i += 100)
        proc.Receive(noise.data() + i, int(std::min<std::size_t>(100, noise.size() - i)));
    link.LastReply = 0;
    feed(frame({0, 0, 0, 0}, WriteBlock));
    EXPECT_EQ(link.LastReply, WriteBlock);
}

TEST_F(Parser, ReplyAtTheStartOfAFullReadIsNotOverwrittenByTheRest)
{
    // Six bytes of a reply arrive, then the terminator opens a read of 100 bytes.
    Bytes r = frame({1, 2, 3, 4}, WriteBlock);
    feed(Bytes(r.begin(), r.end() - 1));
    Bytes next(100, 0x00);
    next[0] = 0xCC;
    feed(next);
    EXPECT_EQ(link.LastReply, WriteBlock);
}

// ---------------------------------------------------------------- the threads, on a pty

TEST(LinkThreads, RepliesFromTheLineReachTheParserAndCloseJoins)
{
    testsupport::PtyPair pty;
    testsupport::ComMapping map(3, pty.slavePath());
    TRadioImage image;
    TTransferCore transfer;
    TfrmSerial link;
    link.Image = &image;
    link.Transfer = &transfer;
    transfer.Link = &link;
    image.SetLiveGate(true);
    EXPECT_FALSE(link.OpenPort(0));
    EXPECT_FALSE(link.OpenPort(5));
    ASSERT_TRUE(link.OpenPort(3));

    Bytes live = frame({0x40, 0, 2, 0}, LiveValue);
    ASSERT_EQ(::write(pty.masterFd(), live.data(), live.size()), ssize_t(live.size()));
    EXPECT_TRUE(testsupport::WaitFor([&] { return image.Get(1) == 0x4000; }, 3000));
    EXPECT_TRUE(link.ClosePort());
    EXPECT_FALSE(link.PortOpen);
    EXPECT_EQ(link.SendBytes(live.data(), 7), 0);

    // Open again on the same line, lose the far end: close still joins.
    ASSERT_TRUE(link.OpenPort(3));
    pty.closeMaster();
    ::usleep(50000);
    EXPECT_TRUE(link.ClosePort());
}

} // namespace
