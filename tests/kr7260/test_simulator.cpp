// Smoke test of the simulated KR7260 radio: fixed wire bytes over the pty slave, so the
// simulator's framing is checked against the format rather than against itself.
// ctest-label: threaded
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using testsupport::Kr7260Sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct SimLine : ::testing::Test {
    testsupport::PtyPair pty;
    Kr7260Sim sim{pty};
    int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);

    void SetUp() override
    {
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        cfmakeraw(&t);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
    }
    void TearDown() override { ::close(fd); }

    // Writes the request and collects up to `want` reply bytes, counting the reads it took.
    Bytes exchange(const Bytes& request, std::size_t want)
    {
        EXPECT_EQ(::write(fd, request.data(), request.size()), (ssize_t)request.size());
        Bytes got;
        std::uint8_t buf[64];
        pollfd p{fd, POLLIN, 0};
        for (reads = 0; got.size() < want && ::poll(&p, 1, 1000) > 0; ++reads) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    int reads = 0;
};

} // namespace

TEST_F(SimLine, AnswersABlockReadAndHonoursWrongAddressAndSplitReplies)
{
    for (int i = 0; i < 8; ++i)
        sim.setWord(i, static_cast<std::uint16_t>(0x1100 + i));
    const Bytes enter{0, 0, 0, 0, 0xFF, 1, 0xCC};
    EXPECT_EQ(exchange(enter, 7), enter);
    EXPECT_TRUE(sim.programMode());

    // Block 0: words 7..0 low byte first, the address, 0xFF minus the payload sum, 4, 0xCC.
    const Bytes readBlock0{0, 0, 0, 0, 0xFF, 4, 0xCC};
    const Bytes block0{7, 0x11, 6, 0x11, 5, 0x11, 4, 0x11, 3, 0x11, 2, 0x11, 1, 0x11, 0, 0x11, 0, 0, 0x5B, 4, 0xCC};
    EXPECT_EQ(exchange(readBlock0, 21), block0);

    // The next reply names address 8, with a checksum that fits it.
    sim.setWrongBlockAddress(1);
    Bytes wrong = block0;
    wrong[16] = 8;
    wrong[18] = 0x53;
    EXPECT_EQ(exchange(readBlock0, 21), wrong);

    // A split reply comes in two reads and is whole.
    sim.setSplitReplies(true);
    EXPECT_EQ(exchange(readBlock0, 21), block0);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(sim.count(4, 0), 3);
}
