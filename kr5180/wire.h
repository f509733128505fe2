// The radio link's numbers: frame bytes, command codes, service sub-commands and reply bits.
#pragma once

#include <cstdint>

namespace wire {

// Frame: Start Type LEN <stuffed payload> ~XOR End.
constexpr std::uint8_t Start = 0x7E;
constexpr std::uint8_t Type = 0x02;
constexpr std::uint8_t End = 0x7F;
constexpr std::uint8_t Escape = 0x7D;      // the next byte is XORed with EscapeXor
constexpr std::uint8_t EscapeXor = 0x20;
constexpr std::uint8_t ChecksumInvert = 0xFF;
constexpr int MaxPayload = 255;            // LEN is one byte

// Byte 0 of a payload.
constexpr std::uint8_t RequestBit = 0x80;       // set in every request
constexpr std::uint8_t NotRecognisedBit = 0x40; // set in a reply the radio refused
constexpr std::uint8_t CodeMask = 0x3F;         // the command a reply answers

// Command codes (byte 0 without RequestBit).
enum Command : std::uint8_t {
    QueryVersion = 0x00,
    ReadByte = 0x01,
    ReadWord = 0x02,
    ReadBlock = 0x03,
    QueryChannel = 0x04,
    QueryStatus = 0x05,
    WriteByte = 0x21,
    WriteWord = 0x22,
    WriteBlock = 0x23,
    SetChannel = 0x24,
    SetPtt = 0x26,
    SetSquelchLevel = 0x27,
    SendRemoteKey = 0x28,
    ChannelUp = 0x29,
    ChannelDown = 0x2A,
    Service = 0x34,
    SetTestMode = 0x38,
    EnterProgMode = 0x39,
    ResetRadio = 0x3F,
};

// Service sub-commands (byte 1 after Service).
enum ServiceCommand : std::uint8_t {
    MemRead = 0x01,
    ReadDacs = 0x07,
    ReadAdc = 0x08,
    MemWrite = 0x81,
    SetCtcss = 0x83,
    WriteLcd = 0x84,
    SetSquelch = 0x86,
    SetDac = 0x87,
    SetFrequency = 0x88,
    AutoAlign = 0x89,
    SetBeep = 0x8A,
};

constexpr int AllDacs = 255;  // ReadDacs index for all eight
constexpr int BlockBytes = 16; // data bytes of a block read or write

} // namespace wire
