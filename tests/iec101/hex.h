// Hex fixtures: "10 40 05 45 16" <-> octets.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iec::test {

inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    int nibbles = 0;
    unsigned value = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0) continue;
        value = value * 16 + static_cast<unsigned>(d);
        if (++nibbles == 2) {
            out.push_back(static_cast<uint8_t>(value));
            nibbles = 0;
            value = 0;
        }
    }
    return out;
}

inline std::string ToHex(std::span<const uint8_t> octets) {
    std::string out;
    char buf[4];
    for (uint8_t o : octets) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", o);
        out += buf;
    }
    return out;
}

}  // namespace iec::test
