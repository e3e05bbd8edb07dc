// Appends OPC UA Binary primitives (little-endian) to a growing buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace iec::ua {

class BinaryWriter {
public:
    void U8(uint8_t v) { buf_.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I64(int64_t v) { U64(static_cast<uint64_t>(v)); }
    void F32(float v);
    void F64(double v);
    void Boolean(bool v) { U8(v ? 1 : 0); }
    void String(std::string_view s);
    void NullString() { I32(-1); }
    void Guid(const std::array<uint8_t, 16>& g) { Bytes(g); }
    void Bytes(std::span<const uint8_t> b) { buf_.insert(buf_.end(), b.begin(), b.end()); }
    void ArrayLength(size_t n) { I32(static_cast<int32_t>(n)); }
    // Overwrites a UInt32 written earlier (message sizes known only at the end).
    void PatchU32(size_t at, uint32_t v);

    size_t size() const { return buf_.size(); }
    const std::vector<uint8_t>& data() const { return buf_; }
    std::vector<uint8_t> Take() { return std::move(buf_); }

private:
    std::vector<uint8_t> buf_;
};

}  // namespace iec::ua
