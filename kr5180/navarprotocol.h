// Frame building and the byte-by-byte receive state machine of the radio link.
#pragma once

#include <cstdint>

class navar_Protocol {
public:
    static constexpr int BufferSize = 1024;

    navar_Protocol();

    // Writes the frame for the payload into dest (room for 5 + 2 * length bytes) and
    // returns its length; 0 (nothing written) for a length outside 0..255.
    static int ProtocolBuildFrame(std::uint8_t* dest, const std::uint8_t* payload, int length);
    // Advances the receiver by one byte; 1 when that byte completes a frame.
    int ProtocolParseByte(std::uint8_t byte);
    // Forgets any frame half received: the next byte is read as if nothing came before.
    void Reset();
    // Copies the last frame's payload into dest (BufferSize bytes of room); returns its length.
    int ProtocolGetPayload(std::uint8_t* dest) const;

    int State() const { return state; }

private:
    std::uint8_t payload[BufferSize];
    std::uint8_t* writePos;
    std::uint8_t state;
    int expectedLength;
    int receivedCount;
    // A 0x7D was seen: the next payload byte is XORed with 0x20. Kept per receiver.
    bool escapeFlag;
};
