#include "model/tag_value.h"

#include <algorithm>

namespace iec {

void TValue::SetParam_2(const TTypeIdent* type, uint8_t value, DateTime time, uint8_t quality) {
    ptid = type;
    if (quality != kNoQuality) Quality = quality;
    bv[0] = value;
    if (time.days() != 0) dt = time;
}

void TValue::SetParam1_2(uint8_t value, uint8_t quality, const TTagCategory* category, TQualityType qt,
                         DateTime time, bool qualityFlag) {
    qtype = qt;
    pdc = category;
    if (qualityFlag) {
        prQualit = true;
        Quality = quality;
    }
    bv[0] = value;
    if (time.days() != 0) dt = time;
}

bool TValue::SetParam1(std::span<const uint8_t> data, size_t pos, uint8_t quality, bool qualityFlag, DateTime time,
                       TQualityType qt, const TTagCategory* category) {
    if (category == nullptr) return false;
    const size_t len = static_cast<size_t>(std::clamp(category->valuelen, 0, static_cast<int>(bv.size())));
    if (pos > data.size() || data.size() - pos < len) return false;
    qtype = qt;
    pdc = category;
    if (qualityFlag) {
        prQualit = true;
        Quality = quality;
    }
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(pos), len, bv.begin());
    if (time.days() != 0) dt = time;
    return true;
}

}  // namespace iec
