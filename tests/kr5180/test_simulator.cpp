// The simulated KR5180 radio, driven over the pty slave with plain POSIX I/O and a frame
// builder of the test's own.
// ctest-label: threaded
#include "support/kr5180_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using testsupport::Bytes;
using testsupport::Kr5180Sim;
using Clock = std::chrono::steady_clock;

namespace {

Bytes frame(const Bytes& payload)
{
    Bytes f{0x7E, 0x02, static_cast<std::uint8_t>(payload.size())};
    std::uint8_t x = 0;
    for (std::uint8_t b : payload) {
        x ^= b;
        if (b >= 0x7D && b <= 0x7F) {
            f.push_back(0x7D);
            f.push_back(b ^ 0x20);
        } else {
            f.push_back(b);
        }
    }
    f.push_back(static_cast<std::uint8_t>(~x));
    f.push_back(0x7F);
    return f;
}

// Raw line to the simulator, with a frame reader that also reports the checksum it saw.
class Line {
public:
    explicit Line(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Line() { ::close(fd_); }
    bool ok() const { return fd_ >= 0; }

    void send(const Bytes& payload) { sendRaw(frame(payload)); }
    void sendRaw(const Bytes& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), (ssize_t)bytes.size()); }

    // Reads raw bytes until one frame is complete or timeoutMs passes.
    bool readFrame(Bytes& payload, int timeoutMs = 1000, bool* checksumOk = nullptr,
                   int* reads = nullptr)
    {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        int state = 0, len = 0;
        bool esc = false;
        std::uint8_t cs = 0;
        int nreads = 0;
        for (;;) {
            while (!pending_.empty()) {
                std::uint8_t b = pending_.front();
                pending_.erase(pending_.begin());
                switch (state) {
                case 0: if (b == 0x7E) state = 1; break;
                case 1: state = b == 0x02 ? 2 : 0; break;
                case 2: len = b; payload.clear(); state = len ? 3 : 4; break;
                case 3:
                    if (b == 0x7D) { esc = true; break; }
                    payload.push_back(esc ? b ^ 0x20 : b);
                    esc = false;
                    if ((int)payload.size() == len) state = 4;
                    break;
                case 4: cs = b; state = 5; break;
                case 5:
                    if (b == 0x7F) {
                        std::uint8_t x = 0;
                        for (auto v : payload) x ^= v;
                        if (checksumOk) *checksumOk = (cs == static_cast<std::uint8_t>(~x));
                        if (reads) *reads = nreads;
                        return true;
                    }
                    state = 0;
                    break;
                }
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                continue;
            if (p.revents & (POLLHUP | POLLERR))
                return false;
            std::uint8_t buf[256];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                ++nreads;
                pending_.insert(pending_.end(), buf, buf + n);
            } else if (n < 0 && errno != EAGAIN) {
                return false;
            }
        }
    }
    Bytes exchange(const Bytes& req, int timeoutMs = 1000)
    {
        send(req);
        Bytes r;
        if (!readFrame(r, timeoutMs))
            r.clear();
        return r;
    }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    Bytes pending_;
};

struct SimTest : ::testing::Test {
    Kr5180Sim sim;
    Line line{sim.slavePath()};
    void SetUp() override { ASSERT_TRUE(line.ok()); }
};

} // namespace

TEST_F(SimTest, AnswersTheCommandTable)
{
    Bytes mem(256);
    for (int i = 0; i < 256; ++i)
        mem[i] = static_cast<std::uint8_t>(i);
    sim.setMemory(mem);
    sim.setByte(255, 0x11);
    sim.setVersion(2, 0x10, 'C');
    sim.setStatus(0x01);
    sim.setChannel(168);
    sim.setAdc(3, 0x99);

    EXPECT_EQ(line.exchange({0x80}), (Bytes{0x80, 2, 0x10, 'C'}));
    EXPECT_EQ(line.exchange({0x81, 0, 0x7E}), (Bytes{0x81, 0, 0x7E, 0x7E})); // stuffed both ways
    EXPECT_EQ(line.exchange({0x82, 0, 0x16}), (Bytes{0x82, 0, 0x16, 0x16, 0x17}));
    Bytes block = line.exchange({0x83, 0, 0xF8});
    ASSERT_EQ(block.size(), 19u);
    EXPECT_EQ(block[3], 0xF8);
    EXPECT_EQ(block[10], 0x11);
    EXPECT_EQ(block[11], 0xFF); // past the end of memory
    EXPECT_EQ(line.exchange({0x84}), (Bytes{0x84, 168}));
    EXPECT_EQ(line.exchange({0x85}), (Bytes{0x85, 0x01}));
    EXPECT_EQ(line.exchange({0xA9}), (Bytes{0xA9, 129})); // wraps from CB 40 to CB 1
    EXPECT_EQ(line.exchange({0xAA}), (Bytes{0xAA, 168}));

    EXPECT_EQ(line.exchange({0xA1, 0, 0x20, 0x7D}), (Bytes{0xA1, 0, 0x20}));
    EXPECT_EQ(line.exchange({0xA2, 0, 0x30, 0x12, 0x34}), (Bytes{0xA2, 0, 0x30}));
    Bytes wb{0xA3, 0, 0x40};
    for (int i = 0; i < 16; ++i)
        wb.push_back(static_cast<std::uint8_t>(0xA0 + i));
    EXPECT_EQ(line.exchange(wb), (Bytes{0xA3, 0, 0x40}));
    EXPECT_EQ(sim.byteAt(0x20), 0x7D);
    EXPECT_EQ(sim.byteAt(0x30), 0x12);
    EXPECT_EQ(sim.byteAt(0x31), 0x34);
    EXPECT_EQ(sim.byteAt(0x4F), 0xAF);

    EXPECT_EQ(line.exchange({0xB4, 0x87, 2, 0x55}), (Bytes{0xB4, 0x87}));
    EXPECT_EQ(line.exchange({0xB4, 0x07, 2}), (Bytes{0xB4, 0x07, 2, 0x55}));
    Bytes dacs = line.exchange({0xB4, 0x07, 0xFF});
    ASSERT_EQ(dacs.size(), 11u);
    EXPECT_EQ(dacs[5], 0x55);
    EXPECT_EQ(line.exchange({0xB4, 0x08, 3}), (Bytes{0xB4, 0x08, 3, 0x99}));
    EXPECT_EQ(line.exchange({0xB4, 0x01, 0, 0x05}), (Bytes{0xB4, 0x01, 0, 0x05, 0x05}));

    EXPECT_EQ(line.exchange({0xB9}), (Bytes{0xB9}));
    EXPECT_TRUE(sim.programMode());
    EXPECT_EQ(line.exchange({0xB8, 1}), (Bytes{0xB8}));
    EXPECT_EQ(sim.testMode(), 1);
    EXPECT_EQ(line.exchange({0xBF}), (Bytes{0xBF}));
    EXPECT_FALSE(sim.programMode());
    EXPECT_EQ(sim.resetCount(), 1);

    // Unknown codes, short requests and requests without bit 7 are not recognised.
    EXPECT_EQ(line.exchange({0x90}), (Bytes{0xD0}));
    EXPECT_EQ(line.exchange({0x83, 0}), (Bytes{0xC3}));
    EXPECT_EQ(line.exchange({0x03, 0, 0}), (Bytes{0x43}));

    auto log = sim.requests();
    ASSERT_EQ(log.size(), 22u);
    EXPECT_EQ(log.front(), (Bytes{0x80}));
    EXPECT_EQ(log[3], (Bytes{0x83, 0, 0xF8}));
}

TEST_F(SimTest, DropsBrokenFramesAndKeepsGoing)
{
    // Bad checksum, wrong end byte, LEN 0: none answered; the next good frame is.
    line.sendRaw({0x7E, 0x02, 0x01, 0x80, 0x00, 0x7F});
    line.sendRaw({0x7E, 0x02, 0x01, 0x80, 0x7F, 0x7E});
    line.sendRaw({0x7E, 0x02, 0x00, 0xFF, 0x7F});
    EXPECT_EQ(line.exchange({0x84}).size(), 2u);
    EXPECT_EQ(sim.requestCount(), 1);
    EXPECT_EQ(sim.badFrames(), 3);
}

TEST_F(SimTest, FaultKnobs)
{
    // Silent: logged, not answered.
    sim.setSilent(true);
    line.send({0x80});
    Bytes r;
    ASSERT_TRUE(sim.waitForRequests(1));
    EXPECT_FALSE(line.readFrame(r, 150));
    sim.setSilent(false);

    // The third request's reply is lost, the fourth comes.
    sim.dropReply(3);
    EXPECT_TRUE(line.exchange({0x80}).size() == 4);
    EXPECT_TRUE(line.exchange({0x84}, 150).empty());
    EXPECT_EQ(line.exchange({0x85}), (Bytes{0x85, 0}));

    // An extra frame ahead of the reply, in one write.
    sim.setExtraFrame({0xB4, 0x08, 0, 0});
    line.send({0x84});
    ASSERT_TRUE(line.readFrame(r, 1000));
    EXPECT_EQ(r, (Bytes{0xB4, 0x08, 0, 0}));
    ASSERT_TRUE(line.readFrame(r, 1000));
    EXPECT_EQ(r, (Bytes{0x84, 129}));

    // A split reply arrives in two reads and is still one frame.
    sim.setSplitReplies(true, 200, 3);
    line.send({0x80});
    int reads = 0;
    ASSERT_TRUE(line.readFrame(r, 1000, nullptr, &reads));
    EXPECT_GE(reads, 2);
    EXPECT_EQ(r.size(), 4u);
    sim.setSplitReplies(false);

    // Wrong checksum.
    sim.setBadChecksum(true);
    bool csOk = true;
    line.send({0x80});
    ASSERT_TRUE(line.readFrame(r, 1000, &csOk));
    EXPECT_FALSE(csOk);
    sim.setBadChecksum(false);

    // Not recognised for chosen codes only.
    sim.setNotRecognised({0x03});
    EXPECT_EQ(line.exchange({0x83, 0, 0}), (Bytes{0xC3}));
    EXPECT_EQ(line.exchange({0x84}).size(), 2u);
    sim.setNotRecognised({});

    // Unsolicited frame.
    sim.sendUnsolicited({0x85, 0x42});
    ASSERT_TRUE(line.readFrame(r, 1000));
    EXPECT_EQ(r, (Bytes{0x85, 0x42}));

    // Reply delay: the reply is late but comes.
    sim.setReplyDelayMs(200);
    line.send({0x80});
    EXPECT_FALSE(line.readFrame(r, 50));
    EXPECT_TRUE(line.readFrame(r, 2000));
}

TEST_F(SimTest, PacedRepliesComeByteByByte)
{
    sim.setBaud(9600);
    line.send({0x83, 0, 0});
    Bytes r;
    int reads = 0;
    ASSERT_TRUE(line.readFrame(r, 2000, nullptr, &reads));
    EXPECT_EQ(r.size(), 19u);
    EXPECT_GE(reads, 3); // bytes trickle in rather than arriving in one read
}

TEST_F(SimTest, ClosingTheLineHangsUpTheSlave)
{
    sim.closeLine();
    EXPECT_TRUE(sim.lineClosed());
    pollfd p{line.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR));
}
