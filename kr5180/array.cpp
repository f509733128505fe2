// Bit arrays over bytes, least significant bit first.
#include "array.h"

bool TestBit(unsigned int n, const std::uint8_t* bytes)
{
    return (bytes[n >> 3] & (1u << (n & 7))) != 0;
}

void SetBit(unsigned int n, std::uint8_t* bytes)
{
    bytes[n >> 3] = static_cast<std::uint8_t>(bytes[n >> 3] | (1u << (n & 7)));
}

void ClearBit(unsigned int n, std::uint8_t* bytes)
{
    bytes[n >> 3] = static_cast<std::uint8_t>(bytes[n >> 3] & ~(1u << (n & 7)));
}
