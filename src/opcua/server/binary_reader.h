// Every octet that comes from a peer is read through this cursor. Each read checks what is left first; a failed
// read poisons the reader (every later read yields zero), so a decoder checks ok() once at the end of a structure
// instead of after every field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace iec::ua {

class BinaryReader {
public:
    // No request we serve needs more elements than this in one array; a larger count is an attack or garbage.
    static constexpr size_t kMaxArrayLength = 100000;
    // Variants, DiagnosticInfos and DataValues nest; a peer must not be able to exhaust the stack.
    static constexpr int kMaxDepth = 10;
    // Strings beyond this are refused: no field we use is anywhere near it.
    static constexpr size_t kMaxStringLength = 1 << 20;

    explicit BinaryReader(std::span<const uint8_t> data) : data_(data) {}

    bool ok() const { return ok_; }
    void Fail() {
        ok_ = false;
        pos_ = data_.size();
    }
    size_t remaining() const { return data_.size() - pos_; }
    size_t position() const { return pos_; }
    std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    int64_t I64() { return static_cast<int64_t>(U64()); }
    float F32();
    double F64();
    bool Boolean() { return U8() != 0; }
    // String and ByteString: a length of -1 (null) and 0 both give an empty string.
    std::string String();
    std::array<uint8_t, 16> Guid();
    bool Skip(size_t n);
    // Element count of an array whose elements take at least min_element_bytes each. Null (-1) gives 0. A count
    // that cannot fit in what is left, or above kMaxArrayLength, fails the reader and gives 0.
    size_t ArrayLength(size_t min_element_bytes = 1);

    // Depth guard for recursive types; Enter fails the reader past kMaxDepth.
    bool Enter();
    void Leave() { --depth_; }

private:
    bool Need(size_t n);

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool ok_ = true;
};

}  // namespace iec::ua
