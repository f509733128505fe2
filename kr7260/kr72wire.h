// KR7260 wire numbers: command bytes of requests and replies, LiveValue sub-codes, frame
// lengths; the transfer modes and the machine states more than one module uses.
// A frame is payload, checksum, command byte, Terminator.
#pragma once

#include <cstdint>

namespace kr72wire {

constexpr std::uint8_t Terminator = 0xCC;

// Command bytes. A reply carries the code of the request it answers.
constexpr int EnterProgramMode = 1;  // reply: program-mode acknowledgement
constexpr int Version = 2;
constexpr int ExitProgramMode = 3;
constexpr int ReadBlock = 4;         // 8 words
constexpr int WriteBlock = 5;
constexpr int ReadWord = 6;
constexpr int WriteWord = 7;
constexpr int LiveValue = 10;
constexpr int ReadWordAlt = 70;      // 0x46: also answers a single-word read
constexpr int WriteWordAlt = 71;     // 0x47: also answers a single-word write

// A block write counts as taken when the reply code has bit 0 or bit 2 set.
constexpr int WriteAckBits = 0x05;

// LiveValue sub-codes.
constexpr int LiveSetS1 = 2;
constexpr int LiveSetS9 = 3;
constexpr int LiveBusyRssi = 6;

// A frame's checksum byte: 0xFF minus the low byte of its payload's sum.
constexpr std::uint8_t ChecksumOf(unsigned payloadSum) { return std::uint8_t(0xFF - (payloadSum & 0xFF)); }

constexpr int ShortFrameLength = 7;
constexpr int BlockFrameLength = 21;  // block read reply, block write request
constexpr int BlockWords = 8;

} // namespace kr72wire

// Transfer modes, and the states of the read and write machines that other modules set or test.
namespace kr72state {
constexpr int TransferIdle = 0;      // TransferMode values
constexpr int TransferRead = 1;
constexpr int TransferWrite = 2;

constexpr int Idle = 0;
constexpr int Start = 1;
constexpr int WriteVersionWait = 7;  // write machine: waiting for the version reply
constexpr int BlockDone = 40;
constexpr int Failed = 45;           // leave program mode after a failure
constexpr int Cancelled = 46;        // leave program mode after a cancel
} // namespace kr72state
