// The one way the simulator reads bytes that came from outside: a span and a cursor, and every read checks what
// is left first, so a short or lying frame can never make a read go past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace iec::sim {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    size_t Remaining() const { return data_.size() - pos_; }
    size_t Position() const { return pos_; }

    // Each read returns false and consumes nothing when fewer octets are left than it needs.
    bool ReadU8(uint8_t& out) {
        if (Remaining() < 1) return false;
        out = data_[pos_++];
        return true;
    }

    // A little-endian number of 1 to 4 octets, as every multi-octet field of IEC 60870-5-101 is.
    bool ReadLe(int octets, uint32_t& out) {
        if (octets < 1 || octets > 4 || Remaining() < static_cast<size_t>(octets)) return false;
        uint32_t v = 0;
        for (int i = 0; i < octets; ++i) v |= static_cast<uint32_t>(data_[pos_ + static_cast<size_t>(i)]) << (8 * i);
        pos_ += static_cast<size_t>(octets);
        out = v;
        return true;
    }

    bool Skip(size_t n) {
        if (Remaining() < n) return false;
        pos_ += n;
        return true;
    }

    std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace iec::sim
