// Octet widths of the address and cause fields, one set per line: every station on a multi-drop line must be
// polled with the same widths, so they are a property of the line and not of a station.
#pragma once

#include <cstdint>
#include <string>

namespace iec::sim {

struct FieldWidths {
    int link = 1;    // link address: 1 or 2
    int cause = 1;   // cause of transmission: 1, or 2 with the originator address
    int common = 1;  // common address of ASDU: 1 or 2
    int object = 2;  // information object address: 1, 2 or 3
};

// Empty when the widths are allowed by IEC 60870-5-101, else a sentence naming the bad field.
std::string ValidateWidths(const FieldWidths& w);

// The largest value a field of that many octets holds.
constexpr uint32_t MaxForOctets(int octets) {
    return octets >= 4 ? 0xFFFFFFFFu : (uint32_t{1} << (8 * octets)) - 1u;
}

}  // namespace iec::sim
