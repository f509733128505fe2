// Radio reply frames built by hand for the link and machine tests.
#pragma once

#include "kr72wire.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace k7test {

using Bytes = std::vector<std::uint8_t>;

// payload, checksum (one's complement of the sum), command, 0xCC
inline Bytes frame(const Bytes& payload, int command)
{
    Bytes f = payload;
    unsigned sum = 0;
    for (auto b : payload)
        sum += b;
    f.push_back(std::uint8_t(0xFF - (sum & 0xFF)));
    f.push_back(std::uint8_t(command));
    f.push_back(kr72wire::Terminator);
    return f;
}

// words[0..7] are words a..a+7, sent last word first, low byte first; then the address.
inline Bytes blockReply(int a, const std::array<int, 8>& words)
{
    Bytes p;
    for (int i = 7; i >= 0; --i) {
        p.push_back(std::uint8_t(words[i] & 0xFF));
        p.push_back(std::uint8_t(words[i] >> 8));
    }
    p.push_back(std::uint8_t(a & 0xFF));
    p.push_back(std::uint8_t(a >> 8));
    return frame(p, kr72wire::ReadBlock);
}

// The text, then its length.
inline Bytes versionReply(const std::string& text)
{
    Bytes p(text.begin(), text.end());
    p.push_back(std::uint8_t(text.size()));
    return frame(p, kr72wire::Version);
}

} // namespace k7test
