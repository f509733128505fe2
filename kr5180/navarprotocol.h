// Frame building and the byte-by-byte receive state machine of the radio link.
#pragma once

#include <cstdint>

class navar_Protocol {
public:
    static constexpr int BufferSize = 1024;

    navar_Protocol();

    // Writes the frame for the payload into dest (room for 5 + 2 * length bytes) and
    // returns its length.
    static int ProtocolBuildFrame(std::uint8_t* dest, const std::uint8_t* payload, int length);
    // Advances the receiver by one byte; 1 when that byte completes a frame.
    int ProtocolParseByte(std::uint8_t byte);
    // Copies the last frame's payload into dest (BufferSize bytes of room); returns its length.
    int ProtocolGetPayload(std::uint8_t* dest) const;

    int State() const { return state; }

private:
    std::uint8_t payload[BufferSize];
    std::uint8_t* writePos;
    std::uint8_t state;
    int expectedLength;
    int receivedCount;
};
