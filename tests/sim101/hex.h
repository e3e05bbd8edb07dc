// Hex fixtures: frames are written in tests as the octets appear on the line ("10 40 05 45 16").
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iec::sim::test {

inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    int nibbles = 0;
    uint8_t cur = 0;
    for (char ch : text) {
        int d = -1;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        if (d < 0) continue;
        cur = static_cast<uint8_t>((cur << 4) | d);
        if (++nibbles == 2) {
            out.push_back(cur);
            nibbles = 0;
            cur = 0;
        }
    }
    return out;
}

inline std::string ToHex(std::span<const uint8_t> octets) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : octets) {
        if (!s.empty()) s += ' ';
        s += digits[b >> 4];
        s += digits[b & 0x0F];
    }
    return s;
}

// A primary frame with its checksum filled in, from the octets between the start and the checksum:
// Fixed("40 05") is 10 40 05 45 16; Variable("73 05 64 01 06 05 00 00 14") adds 68 L L 68 and the checksum.
inline std::vector<uint8_t> Fixed(std::string_view body) {
    std::vector<uint8_t> f{0x10};
    const auto b = Hex(body);
    uint8_t sum = 0;
    for (uint8_t x : b) sum = static_cast<uint8_t>(sum + x);
    f.insert(f.end(), b.begin(), b.end());
    f.push_back(sum);
    f.push_back(0x16);
    return f;
}

inline std::vector<uint8_t> Variable(std::string_view body) {
    const auto b = Hex(body);
    std::vector<uint8_t> f{0x68, static_cast<uint8_t>(b.size()), static_cast<uint8_t>(b.size()), 0x68};
    uint8_t sum = 0;
    for (uint8_t x : b) sum = static_cast<uint8_t>(sum + x);
    f.insert(f.end(), b.begin(), b.end());
    f.push_back(sum);
    f.push_back(0x16);
    return f;
}

}  // namespace iec::sim::test
