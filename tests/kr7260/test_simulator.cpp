// The simulated KR7260 radio, driven over the pty slave with plain POSIX calls.
// ctest-label: threaded
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using testsupport::Kr7260Sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

class SimLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    void TearDown() override
    {
        if (fd >= 0)
            ::close(fd);
    }

    void send(const Bytes& b) { ASSERT_EQ(::write(fd, b.data(), b.size()), static_cast<ssize_t>(b.size())); }

    // Reads until `want` bytes came or timeoutMs passed; reports how many reads it took.
    Bytes receive(std::size_t want, int timeoutMs = 1000, int* reads = nullptr)
    {
        Bytes got;
        int count = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < want) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::uint8_t buf[256];
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            ++count;
            got.insert(got.end(), buf, buf + n);
        }
        if (reads)
            *reads = count;
        return got;
    }

    static Bytes request(std::uint8_t cmd, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
    {
        return Kr7260Sim::Frame(cmd, {b0, b1, b2, b3});
    }
    static Bytes readBlock(int a) { return request(4, 0, 0, a & 0xFF, a >> 8); }

    testsupport::PtyPair pty;
    Kr7260Sim sim{pty};
    int fd = -1;
};

TEST_F(SimLine, AnswersEveryCommandPerTheWireFormat)
{
    for (int i = 0; i < Kr7260Sim::kWords; ++i)
        sim.setWord(i, static_cast<std::uint16_t>(0x1100 + i));
    sim.setVersion("KR7260d X");

    send(request(1, 0, 0, 0, 0));
    EXPECT_EQ(receive(7), (Bytes{0, 0, 0, 0, 0xFF, 1, 0xCC}));
    EXPECT_TRUE(sim.programMode());

    send(request(2, 0, 0, 0, 0));
    Bytes v{'K', 'R', '7', '2', '6', '0', 'd', ' ', 'X', 9};
    EXPECT_EQ(receive(13), Kr7260Sim::Frame(2, v));

    send(readBlock(120));
    Bytes block = receive(21);
    ASSERT_EQ(block.size(), 21u);
    EXPECT_EQ(block[0], 0x7F);  // word 127 first, low byte
    EXPECT_EQ(block[1], 0x11);
    EXPECT_EQ(block[14], 120);  // word 120 last
    EXPECT_EQ(block[16], 120);
    EXPECT_EQ(block[17], 0);
    EXPECT_EQ(block[18], Kr7260Sim::Checksum(block.data(), 18));
    EXPECT_EQ(block[19], 4);
    EXPECT_EQ(block[20], 0xCC);

    Bytes wr;
    for (int i = 7; i >= 0; --i) {
        wr.push_back(static_cast<std::uint8_t>(i));
        wr.push_back(0xA0);
    }
    wr.push_back(16);
    wr.push_back(0);
    send(Kr7260Sim::Frame(5, wr));
    Bytes ack = receive(7);
    ASSERT_EQ(ack.size(), 7u);
    EXPECT_EQ(ack[5], 5);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(sim.word(16 + i), 0xA000 + i);

    send(request(7, 0x34, 0x12, 5, 0));
    EXPECT_EQ(receive(7), Kr7260Sim::Frame(7, {0x34, 0x12, 5, 0}));
    send(request(6, 0, 0, 5, 0));
    EXPECT_EQ(receive(7), Kr7260Sim::Frame(6, {0x34, 0x12, 5, 0}));

    sim.setWord(1, 0x1122);
    sim.setSignalLevel(0x40);
    send(request(10, 0, 0, 2, 0));
    EXPECT_EQ(receive(7), Kr7260Sim::Frame(10, {0x40, 0, 2, 0}));
    EXPECT_EQ(sim.word(1), 0x4022);
    send(request(10, 0, 0, 3, 0));
    EXPECT_EQ(receive(7), Kr7260Sim::Frame(10, {0x40, 0, 3, 0}));
    EXPECT_EQ(sim.word(1), 0x4040);
    sim.setBusy(7);
    sim.setRssi(200);
    send(request(10, 0, 0, 6, 0));
    EXPECT_EQ(receive(7), Kr7260Sim::Frame(10, {7, 200, 6, 0}));

    send(request(3, 0, 0, 0, 0));
    ASSERT_TRUE(sim.waitUntil([](auto& log) { return log.size() == 10; }, 1000));
    EXPECT_FALSE(sim.programMode());
    EXPECT_EQ(sim.commands(), (Bytes{1, 2, 4, 5, 7, 6, 10, 10, 10, 3}));
    EXPECT_EQ(sim.count(4, 120), 1);
}

TEST_F(SimLine, RecognisesSplitRequestsAndIgnoresBadOnes)
{
    // Block reads need program mode.
    send(readBlock(0));
    EXPECT_TRUE(receive(1, 200).empty());

    Bytes noise{0x00, 0xCC, 0x55};
    send(noise);
    Bytes enter = request(1, 0, 0, 0, 0);
    send(Bytes(enter.begin(), enter.begin() + 6));
    send(Bytes{0xCC});
    EXPECT_EQ(receive(7).size(), 7u);

    Bytes bad = readBlock(8);
    bad[4] ^= 1;
    send(bad);
    EXPECT_TRUE(receive(1, 200).empty());
    EXPECT_GE(sim.rejectedFrames(), 2);

    send(readBlock(121));  // a block past word 127 is not answered
    EXPECT_TRUE(receive(1, 200).empty());
    EXPECT_EQ(sim.commands(), (Bytes{4, 1, 4}));
}

TEST_F(SimLine, DropAndSilenceKnobs)
{
    sim.setProgramMode(true);
    sim.dropReplyNumber(2);
    sim.dropRepliesTo(6, 1);
    send(readBlock(0));
    EXPECT_EQ(receive(21).size(), 21u);
    send(readBlock(0));
    EXPECT_TRUE(receive(1, 200).empty());
    send(request(6, 0, 0, 1, 0));
    EXPECT_TRUE(receive(1, 200).empty());
    send(request(6, 0, 0, 1, 0));
    EXPECT_EQ(receive(7).size(), 7u);

    sim.setSilent(true);
    send(request(1, 0, 0, 0, 0));
    EXPECT_TRUE(receive(1, 200).empty());
    EXPECT_EQ(sim.count(1), 1);  // still logged
}

TEST_F(SimLine, CorruptionKnobs)
{
    sim.setProgramMode(true);
    sim.setWord(0, 0x1234);

    sim.setBadChecksum(4);
    send(readBlock(0));
    Bytes r = receive(21);
    ASSERT_EQ(r.size(), 21u);
    EXPECT_NE(r[18], Kr7260Sim::Checksum(r.data(), 18));

    sim.setWrongBlockAddress(1);
    send(readBlock(0));
    r = receive(21);
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r[16], 8);
    EXPECT_EQ(r[18], Kr7260Sim::Checksum(r.data(), 18));

    // A read-back after a block write over word 3 reports word 3 altered, once.
    sim.corruptReadBack(3);
    Bytes wr(16, 0x00);
    wr.push_back(0);
    wr.push_back(0);
    send(Kr7260Sim::Frame(5, wr));
    EXPECT_EQ(receive(7).size(), 7u);
    EXPECT_EQ(sim.word(3), 0);
    send(readBlock(0));
    r = receive(21);
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r[2 * (7 - 3)], 0x01);
    send(readBlock(0));
    r = receive(21);
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r[2 * (7 - 3)], 0x00);
}

TEST_F(SimLine, DeliveryKnobs)
{
    sim.setSplitReplies(true);
    int reads = 0;
    send(request(1, 0, 0, 0, 0));
    EXPECT_EQ(receive(7, 1000, &reads).size(), 7u);
    EXPECT_EQ(reads, 2);
    sim.setSplitReplies(false);

    sim.setMergeReplies(true);
    Bytes two = request(1, 0, 0, 0, 0);
    Bytes second = request(2, 0, 0, 0, 0);
    two.insert(two.end(), second.begin(), second.end());
    send(two);
    Bytes both = receive(7 + 16, 1000, &reads);
    EXPECT_EQ(both.size(), 23u);
    EXPECT_EQ(reads, 1);
    sim.setMergeReplies(false);

    sim.setPrefixBytes({0xCC, 0x01});
    send(request(1, 0, 0, 0, 0));
    EXPECT_EQ(receive(9).size(), 9u);
    sim.setPrefixBytes({});

    Bytes unsolicited = Kr7260Sim::Frame(10, {1, 2, 6, 0});
    sim.sendUnsolicited(unsolicited);
    EXPECT_EQ(receive(7), unsolicited);

    // 9600 baud: 10 bytes take over 10 ms each way (a lower bound cannot be flaky).
    sim.setPacing(9600);
    sim.resetByteCounts();
    const auto t0 = std::chrono::steady_clock::now();
    send(request(1, 0, 0, 0, 0));
    EXPECT_EQ(receive(7).size(), 7u);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::microseconds(14 * 1041));
    EXPECT_EQ(sim.bytesIn(), 7u);
    EXPECT_EQ(sim.bytesOut(), 7u);
}

TEST_F(SimLine, CloseLineEndsTheLink)
{
    sim.closeLine();
    std::uint8_t b;
    pollfd p{fd, POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 1000), 0);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR) || ::read(fd, &b, 1) <= 0);
}

} // namespace
