#include "opcua/server/binary_writer.h"

#include <bit>

namespace iec::ua {

void BinaryWriter::U16(uint16_t v) {
    buf_.push_back(static_cast<uint8_t>(v));
    buf_.push_back(static_cast<uint8_t>(v >> 8));
}

void BinaryWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void BinaryWriter::U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) buf_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void BinaryWriter::F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
void BinaryWriter::F64(double v) { U64(std::bit_cast<uint64_t>(v)); }

void BinaryWriter::String(std::string_view s) {
    I32(static_cast<int32_t>(s.size()));
    buf_.insert(buf_.end(), s.begin(), s.end());
}

void BinaryWriter::PatchU32(size_t at, uint32_t v) {
    if (at + 4 > buf_.size()) return;
    for (int i = 0; i < 4; ++i) buf_[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace iec::ua
