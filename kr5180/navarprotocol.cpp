// Radio link framing: 7E 02 LEN <stuffed payload> ~XOR 7F.
#include "navarprotocol.h"

#include "wire.h"

#include <cstring>

namespace {
using wire::EscapeXor;
constexpr std::uint8_t StartByte = wire::Start;
constexpr std::uint8_t TypeByte = wire::Type;
constexpr std::uint8_t EndByte = wire::End;
constexpr std::uint8_t EscapeByte = wire::Escape;

enum : std::uint8_t { Idle = 0, AfterStart = 1, Length = 2, Payload = 3, Checksum = 4, End = 5 };

bool NeedsStuffing(std::uint8_t b)
{
    return b == EscapeByte || b == StartByte || b == EndByte;
}
} // namespace

navar_Protocol::navar_Protocol()
    : writePos(payload), state(Idle), expectedLength(0), receivedCount(0), escapeFlag(false)
{
    std::memset(payload, 0, sizeof payload);
}

int navar_Protocol::ProtocolBuildFrame(std::uint8_t* dest, const std::uint8_t* bytes, int length)
{
    // LEN is one byte: a longer payload could not be framed faithfully.
    if (length < 0 || length > wire::MaxPayload)
        return 0;
    int n = 0;
    dest[n++] = StartByte;
    dest[n++] = TypeByte;
    dest[n++] = static_cast<std::uint8_t>(length & 0xFF);
    std::uint8_t check = 0;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = bytes[i];
        check ^= b;
        if (NeedsStuffing(b)) {
            dest[n++] = EscapeByte;
            dest[n++] = b ^ EscapeXor;
        } else {
            dest[n++] = b;
        }
    }
    dest[n++] = check ^ wire::ChecksumInvert;
    dest[n++] = EndByte;
    return n;
}

void navar_Protocol::Reset()
{
    writePos = payload;
    state = Idle;
    expectedLength = 0;
    receivedCount = 0;
    escapeFlag = false;
}

int navar_Protocol::ProtocolParseByte(std::uint8_t byte)
{
    switch (state) {
    case Idle:
        receivedCount = 0;
        expectedLength = 0;
        if (byte == StartByte)
            state = AfterStart;
        return 0;
    case AfterStart:
        state = (byte == TypeByte) ? Length : Idle;
        return 0;
    case Length:
        escapeFlag = false;
        expectedLength = byte;
        receivedCount = 0;
        writePos = payload;
        // An empty frame has no payload bytes: the next byte is its checksum.
        state = (expectedLength == 0) ? Checksum : Payload;
        return 0;
    case Payload:
        if (byte == EscapeByte) {
            escapeFlag = true;
            return 0;
        }
        if (receivedCount >= expectedLength || receivedCount >= BufferSize) {
            // Cannot happen with a one-byte LEN; never store past the buffer.
            state = Idle;
            return 0;
        }
        if (escapeFlag) {
            byte ^= EscapeXor;
            escapeFlag = false;
        }
        *writePos++ = byte;
        ++receivedCount;
        if (receivedCount == expectedLength)
            state = Checksum;
        return 0;
    case Checksum:
        // The checksum is not verified.
        state = End;
        return 0;
    case End:
        state = Idle;
        return byte == EndByte ? 1 : 0;
    default:
        state = Idle;
        return 0;
    }
}

int navar_Protocol::ProtocolGetPayload(std::uint8_t* dest) const
{
    int n = expectedLength;
    if (n < 0)
        n = 0;
    if (n > BufferSize)
        n = BufferSize;
    if (n > 0)
        std::memcpy(dest, payload, static_cast<std::size_t>(n));
    return n;
}
