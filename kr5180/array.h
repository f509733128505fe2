// Bit arrays over bytes: bit n is bit n & 7 of byte n >> 3.
#pragma once

#include <cstdint>

bool TestBit(unsigned int n, const std::uint8_t* bytes);
void SetBit(unsigned int n, std::uint8_t* bytes);
void ClearBit(unsigned int n, std::uint8_t* bytes);
