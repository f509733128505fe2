// Smoke test of the simulated KR5180 radio: fixed wire bytes over the pty slave, so the
// simulator's framing is checked against the format rather than against itself.
// ctest-label: threaded
#include "support/kr5180_sim.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using testsupport::Bytes;
using testsupport::Kr5180Sim;

namespace {

struct SimTest : ::testing::Test {
    Kr5180Sim sim;
    int fd = ::open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);

    void SetUp() override
    {
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        cfmakeraw(&t);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
    }
    void TearDown() override { ::close(fd); }

    // Writes the request's raw bytes and collects up to `want` reply bytes.
    Bytes exchange(const Bytes& request, std::size_t want, int timeoutMs = 1000)
    {
        EXPECT_EQ(::write(fd, request.data(), request.size()), (ssize_t)request.size());
        Bytes got;
        std::uint8_t buf[64];
        pollfd p{fd, POLLIN, 0};
        while (got.size() < want && ::poll(&p, 1, timeoutMs) > 0) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
};

} // namespace

TEST_F(SimTest, AnswersStuffedRequestsAndHonoursSilenceAndNotRecognised)
{
    // Read byte 0x7E, which holds 0x7D: payload bytes are stuffed both ways, the checksum is not.
    sim.setByte(0x7E, 0x7D);
    EXPECT_EQ(exchange({0x7E, 0x02, 0x03, 0x81, 0x00, 0x7D, 0x5E, 0x00, 0x7F}, 11),
              (Bytes{0x7E, 0x02, 0x04, 0x81, 0x00, 0x7D, 0x5E, 0x7D, 0x5D, 0x7D, 0x7F}));
    // Write byte 0x20 = 0x55.
    EXPECT_EQ(exchange({0x7E, 0x02, 0x04, 0xA1, 0x00, 0x20, 0x55, 0x2B, 0x7F}, 8),
              (Bytes{0x7E, 0x02, 0x03, 0xA1, 0x00, 0x20, 0x7E, 0x7F}));
    EXPECT_EQ(sim.byteAt(0x20), 0x55);

    // Silent: the request is logged, nothing is answered.
    const Bytes channel{0x7E, 0x02, 0x01, 0x84, 0x7B, 0x7F};
    sim.setSilent(true);
    EXPECT_TRUE(exchange(channel, 1, 200).empty());
    EXPECT_TRUE(sim.waitForRequests(3));
    sim.setSilent(false);

    // Not recognised for the chosen code only: byte 0 | 0x40 alone.
    sim.setNotRecognised({0x03});
    EXPECT_EQ(exchange({0x7E, 0x02, 0x03, 0x83, 0x00, 0x00, 0x7C, 0x7F}, 6),
              (Bytes{0x7E, 0x02, 0x01, 0xC3, 0x3C, 0x7F}));
    EXPECT_EQ(exchange(channel, 7), (Bytes{0x7E, 0x02, 0x02, 0x84, 0x81, 0xFA, 0x7F}));

    EXPECT_EQ(sim.requests(), (std::vector<Bytes>{{0x81, 0x00, 0x7E}, {0xA1, 0x00, 0x20, 0x55}, {0x84},
                                                  {0x83, 0x00, 0x00}, {0x84}}));
}
