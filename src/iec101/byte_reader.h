// The one way protocol decoding reads octets: a span and a cursor. Every read checks what is left first; a read
// past the end yields 0, leaves the cursor where it was and marks the reader failed, so a decoder can read a whole
// header and test once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace iec {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data, size_t pos = 0)
        : data_(data), pos_(pos <= data.size() ? pos : data.size()), failed_(pos > data.size()) {}

    size_t pos() const { return pos_; }
    size_t remaining() const { return data_.size() - pos_; }
    bool failed() const { return failed_; }
    bool Has(size_t n) const { return n <= remaining(); }
    std::span<const uint8_t> data() const { return data_; }

    uint8_t U8() {
        if (!Has(1)) return Fail();
        return data_[pos_++];
    }
    // An unsigned number of n octets (0..4), low octet first. n = 0 reads nothing and gives 0.
    uint32_t UIntLE(size_t n) {
        if (n > 4 || !Has(n)) return Fail();
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(data_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }
    bool Skip(size_t n) {
        if (!Has(n)) {
            Fail();
            return false;
        }
        pos_ += n;
        return true;
    }
    // The next n octets without moving, or an empty span (and failed) when fewer are left.
    std::span<const uint8_t> Peek(size_t n) {
        if (!Has(n)) {
            Fail();
            return {};
        }
        return data_.subspan(pos_, n);
    }
    std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }

private:
    uint8_t Fail() {
        failed_ = true;
        return 0;
    }

    std::span<const uint8_t> data_;
    size_t pos_;
    bool failed_;
};

}  // namespace iec
