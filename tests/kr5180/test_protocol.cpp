// Frame building and the receive state machine of the radio link.
#include "navarprotocol.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;

Bytes Build(const Bytes& payload)
{
    std::uint8_t frame[navar_Protocol::BufferSize];
    const int n = navar_Protocol::ProtocolBuildFrame(frame, payload.data(), static_cast<int>(payload.size()));
    return Bytes(frame, frame + n);
}

// Feeds the bytes and returns the payload of every frame delivered.
Frames Feed(navar_Protocol& p, const Bytes& wire)
{
    Frames frames;
    for (std::uint8_t b : wire) {
        if (p.ProtocolParseByte(b) == 1) {
            std::uint8_t out[navar_Protocol::BufferSize];
            const int n = p.ProtocolGetPayload(out);
            frames.emplace_back(out, out + n);
        }
    }
    return frames;
}

} // namespace

TEST(Protocol, BuildsFramesWithStuffingAndChecksum)
{
    // The checksum is never stuffed, even when it equals the end byte.
    EXPECT_EQ(Build({0x80}), (Bytes{0x7E, 0x02, 0x01, 0x80, 0x7F, 0x7F}));
    // LEN counts the unstuffed payload.
    EXPECT_EQ(Build({0xA1, 0x00, 0x20, 0x7E}),
              (Bytes{0x7E, 0x02, 0x04, 0xA1, 0x00, 0x20, 0x7D, 0x5E, 0x00, 0x7F}));
    EXPECT_EQ(Build({0x7D, 0x7F}), (Bytes{0x7E, 0x02, 0x02, 0x7D, 0x5D, 0x7D, 0x5F, 0xFD, 0x7F}));
    EXPECT_EQ(Build({}), (Bytes{0x7E, 0x02, 0x00, 0xFF, 0x7F}));

    // The largest payload fits the buffer; a length that does not fit LEN is refused.
    EXPECT_EQ(Build(Bytes(255, 0x7E)).size(), 515u);
    Bytes big(256, 0x11);
    std::uint8_t out[navar_Protocol::BufferSize];
    EXPECT_EQ(navar_Protocol::ProtocolBuildFrame(out, big.data(), 256), 0);
}

TEST(Protocol, DeliversGoodFramesAndDropsBrokenOnes)
{
    navar_Protocol p;
    // The checksum is not verified; escapes are unstuffed; a start byte inside the payload is data;
    // noise before a frame is discarded.
    EXPECT_EQ(Feed(p, {0x7E, 0x02, 0x03, 0xB4, 0x08, 0x03, 0x00, 0x7F}), (Frames{{0xB4, 0x08, 0x03}}));
    EXPECT_EQ(Feed(p, {0x7E, 0x02, 0x02, 0x7D, 0x5D, 0x41, 0xC3, 0x7F}), (Frames{{0x7D, 0x41}}));
    EXPECT_EQ(Feed(p, {0x7E, 0x02, 0x02, 0x7E, 0x01, 0x00, 0x7F}), (Frames{{0x7E, 0x01}}));
    EXPECT_EQ(Feed(p, {0x00, 0x7F, 0x02, 0x7E, 0x02, 0x01, 0x55, 0xAA, 0x7F}), (Frames{{0x55}}));

    // Wrong end byte: dropped, and the 7E that ended it does not start a new frame.
    EXPECT_TRUE(Feed(p, {0x7E, 0x02, 0x01, 0xBF, 0x40, 0x7E}).empty());
    EXPECT_EQ(p.State(), 0);
    EXPECT_TRUE(Feed(p, {0x02, 0x01, 0xBF, 0x40, 0x7F}).empty());
    // A second start byte sends the receiver back to idle and the 02 is discarded.
    EXPECT_TRUE(Feed(p, {0x7E, 0x7E, 0x02, 0x01, 0xBF, 0x40, 0x7F}).empty());
    EXPECT_EQ(p.State(), 0);
    EXPECT_TRUE(Feed(p, {0x7E, 0x03, 0x01, 0xBF, 0x40, 0x7F}).empty()); // wrong second byte
    EXPECT_EQ(Feed(p, Build({0x81, 0x7F})), (Frames{{0x81, 0x7F}}));
}

TEST(Protocol, EmptyFrameIsDeliveredEmptyAndDoesNotStick)
{
    navar_Protocol p;
    EXPECT_EQ(Feed(p, {0x7E, 0x02, 0x00, 0xFF, 0x7F}), (Frames{Bytes{}}));
    EXPECT_TRUE(Feed(p, {0x7E, 0x02, 0x00, 0xFF, 0x00}).empty());
    EXPECT_EQ(p.State(), 0);
    // Whatever follows a LEN 0 header, the receiver is back in step.
    Feed(p, {0x7E, 0x02, 0x00});
    Feed(p, Bytes(1000, 0x55));
    EXPECT_EQ(p.State(), 0);
    EXPECT_EQ(Feed(p, Build({0x90, 0x91})), (Frames{{0x90, 0x91}}));
}

TEST(Protocol, RoundTripsEveryLengthAndSurvivesARandomFlood)
{
    std::mt19937 rng(1234);
    navar_Protocol p;
    for (int len = 1; len <= 255; ++len) {
        Bytes payload(static_cast<std::size_t>(len));
        for (auto& b : payload)
            b = static_cast<std::uint8_t>(rng() % 4 == 0 ? 0x7D + rng() % 3 : rng());
        ASSERT_EQ(Feed(p, Build(payload)), Frames{payload}) << "length " << len;
    }

    // Random bytes rich in framing values; ASan catches any store past the buffer.
    const std::uint8_t framing[] = {0x7E, 0x02, 0x7D, 0x7F, 0x00, 0xFF};
    std::uint8_t out[navar_Protocol::BufferSize];
    for (int i = 0; i < 2000000; ++i) {
        const std::uint8_t b = (rng() & 1) ? framing[rng() % 6] : static_cast<std::uint8_t>(rng());
        if (p.ProtocolParseByte(b) == 1) {
            const int n = p.ProtocolGetPayload(out);
            ASSERT_GE(n, 0);
            ASSERT_LE(n, 255);
        }
        ASSERT_LE(p.State(), 5);
    }
    // Any state finishes within 255 payload bytes (plus escapes), checksum and end.
    Feed(p, Bytes(600, 0x00));
    EXPECT_EQ(p.State(), 0);
    EXPECT_EQ(Feed(p, Build({0xB4, 0x01})), (Frames{{0xB4, 0x01}}));
}
