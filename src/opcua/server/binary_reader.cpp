#include "opcua/server/binary_reader.h"

#include <bit>
#include <cstring>

namespace iec::ua {

bool BinaryReader::Need(size_t n) {
    if (!ok_ || remaining() < n) {
        Fail();
        return false;
    }
    return true;
}

uint8_t BinaryReader::U8() {
    if (!Need(1)) return 0;
    return data_[pos_++];
}

uint16_t BinaryReader::U16() {
    if (!Need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t BinaryReader::U32() {
    if (!Need(4)) return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 4;
    return v;
}

uint64_t BinaryReader::U64() {
    if (!Need(8)) return 0;
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 8;
    return v;
}

float BinaryReader::F32() { return std::bit_cast<float>(U32()); }
double BinaryReader::F64() { return std::bit_cast<double>(U64()); }

std::string BinaryReader::String() {
    int32_t length = I32();
    if (!ok_ || length <= 0) return {};
    auto n = static_cast<size_t>(length);
    if (n > kMaxStringLength || !Need(n)) {
        Fail();
        return {};
    }
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), n);
    pos_ += n;
    return s;
}

std::array<uint8_t, 16> BinaryReader::Guid() {
    std::array<uint8_t, 16> g{};
    if (!Need(16)) return g;
    std::memcpy(g.data(), data_.data() + pos_, 16);
    pos_ += 16;
    return g;
}

bool BinaryReader::Skip(size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
}

size_t BinaryReader::ArrayLength(size_t min_element_bytes) {
    int32_t length = I32();
    if (!ok_ || length <= 0) return 0;
    auto n = static_cast<size_t>(length);
    if (min_element_bytes == 0) min_element_bytes = 1;
    if (n > kMaxArrayLength || n > remaining() / min_element_bytes) {
        Fail();
        return 0;
    }
    return n;
}

bool BinaryReader::Enter() {
    if (!ok_ || depth_ >= kMaxDepth) {
        Fail();
        return false;
    }
    ++depth_;
    return true;
}

}  // namespace iec::ua
