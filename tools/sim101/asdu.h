// The data unit identifier of an ASDU (type, qualifier, cause, originator, common address) with the line's
// field widths, read through the checked reader and written for the station's answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim101/byte_reader.h"
#include "sim101/field_widths.h"

namespace iec::sim {

struct AsduHeader {
    uint8_t type = 0;
    uint8_t qualifier = 0;  // SQ in bit 7, number of objects in bits 0..6
    uint8_t cause = 0;      // the whole first cause octet: T bit 7, P/N bit 6, cause bits 0..5
    uint8_t originator = 0;
    uint32_t common = 0;

    int Count() const { return qualifier & 0x7F; }
    bool Sequence() const { return (qualifier & 0x80) != 0; }
    uint8_t Cause() const { return cause & 0x3F; }
};

constexpr size_t HeaderOctets(const FieldWidths& w) {
    return 2 + static_cast<size_t>(w.cause) + static_cast<size_t>(w.common);
}

// False when the octets end before the header does.
bool ReadAsduHeader(ByteReader& r, const FieldWidths& w, AsduHeader& out);

void AppendAsduHeader(std::vector<uint8_t>& out, const FieldWidths& w, const AsduHeader& h);
void AppendLe(std::vector<uint8_t>& out, uint32_t value, int octets);

// Offset of the first cause octet, where a mirrored answer changes the cause.
constexpr size_t kCauseOffset = 2;

}  // namespace iec::sim
