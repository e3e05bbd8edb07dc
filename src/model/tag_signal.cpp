#include "model/tag_signal.h"

#include <algorithm>
#include <bit>

namespace iec {

namespace {

bool IsDoublePoint(NameTypeIdent n) { return n == M_DP_NA || n == M_DP_TA || n == M_DP_TB; }

int16_t Int16At(const TByteVal& b) { return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8))); }

uint32_t UInt32At(const TByteVal& b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

struct ValRule {
    int category;     // detailed category, 0 = none
    int qualityAt;    // offset of the quality octet in the element, -1 = none
    bool storeQuality;
};

ValRule RuleFor(NameTypeIdent n) {
    switch (n) {
        case M_ME_NA: case M_ME_TA: case M_ME_TD: return {12, 2, true};
        case M_ME_ND: return {12, -1, true};
        case M_ME_NB: case M_ME_TB: case M_ME_TE: return {13, 2, true};
        case M_ME_NC: case M_ME_TC: case M_ME_TF: return {14, 4, true};
        case M_IT_NA: case M_IT_TA: case M_IT_TB: return {15, 4, true};
        case M_ST_NA: case M_ST_TA: case M_ST_TB: return {16, 1, true};
        case M_BO_NA: case M_BO_TA: case M_BO_TB: return {18, 4, true};
        case M_PS_NA: return {19, 4, true};
        case M_BO_TC: return {17, -1, false};
        default: return {0, -1, false};
    }
}

}  // namespace

TTagSignal::TTagSignal(const TTagSignal& other)
    : Name(other.Name),
      Address(other.Address),
      prNew(other.prNew),
      FKPAddress(other.FKPAddress),
      FAsduAddress(other.FAsduAddress),
      FObjAddress(other.FObjAddress),
      FIndArm(other.FIndArm),
      value_(other.Value()) {}

void TTagSignal::SetParam_2(int kpAddress, int asduAddress, int indArm, const TTagCategory* category,
                            std::string name, int objAddress) {
    FKPAddress = kpAddress;
    FAsduAddress = asduAddress;
    Name = std::move(name);
    Address = objAddress;
    FObjAddress = objAddress;
    FIndArm = indArm;
    std::lock_guard lock(mutex_);
    value_.ptc = category;
}

void TTagSignal::ChangeTS(const TTypeIdent& type, std::span<const uint8_t> data, size_t pos, DateTime time, int bit,
                          uint8_t quality, int timeBias) {
    const NameTypeIdent n = type.Name;
    const bool bitSplit = n == M_BO_NA || n == M_PS_NA || n == M_BO_TC;
    const int bits = n == M_BO_NA ? 32 : n == M_PS_NA ? 16 : n == M_BO_TC ? 8 : 1;
    if (bit < 0 || bit >= bits) return;
    const size_t at = pos + (n == M_BO_TC ? 0 : static_cast<size_t>(bit / 8));
    if (pos >= data.size() || at >= data.size()) return;

    const uint8_t b = data[at];
    const uint8_t mask = IsDoublePoint(n) ? 3 : 1;
    uint8_t value = 0;
    uint8_t q = 0;
    if (n == M_BO_NA || n == M_PS_NA) {
        value = static_cast<uint8_t>((b >> (bit % 8)) & mask);
        q = quality;
    } else if (n == M_BO_TC) {
        value = static_cast<uint8_t>((b >> bit) & mask);
        // The private 8-bit type carries no quality descriptor: its bits are as valid as the frame.
        q = 0;
    } else {
        value = b & mask;
        q = static_cast<uint8_t>(b & ~mask);
    }

    // Bits of bit strings are published as single points: an operator configures a status signal at each bit's
    // address and expects its state, not a constant 0.
    const TTagCategory* pdc = nullptr;
    if (n == M_SP_NA || n == M_SP_TA || n == M_SP_TB || bitSplit) {
        pdc = TagCategoryList2().GetPtc(10);
    } else if (IsDoublePoint(n)) {
        pdc = TagCategoryList2().GetPtc(11);
    }

    std::lock_guard lock(mutex_);
    if (pdc != nullptr) value_.SetParam1_2(value, q, pdc, type.qtype, time, true);
    value_.SetParam_2(&type, value, time, q);
    if (time.days() != 0) value_.dt_bias = timeBias;
}

std::string TTagSignal::ChangeVal(const TTypeIdent& type, std::span<const uint8_t> data, size_t pos, DateTime time,
                                  int timeBias) {
    const ValRule rule = RuleFor(type.Name);
    if (rule.category == 0) return "ChangeVal(). Нет распаковки байта качества для кода:" + type.Text;
    const TTagCategory* pdc = TagCategoryList2().GetPtc(rule.category);
    const size_t need = std::max(static_cast<size_t>(pdc->valuelen),
                                 rule.qualityAt < 0 ? size_t{0} : static_cast<size_t>(rule.qualityAt) + 1);
    if (pos > data.size() || data.size() - pos < need) {
        return "ChangeVal(). Элемент за пределами данных для кода:" + type.Text;
    }
    uint8_t q = rule.qualityAt < 0 ? 0 : data[pos + static_cast<size_t>(rule.qualityAt)];
    // The last octet of a binary counter reading holds IV, CA (adjusted) and CY (carry) above a sequence number.
    if (rule.category == 15) q &= 0xE0;
    std::lock_guard lock(mutex_);
    value_.SetParam1(data, pos, q, rule.storeQuality, time, type.qtype, pdc);
    if (time.days() != 0) value_.dt_bias = timeBias;
    return {};
}

bool TTagSignal::GetArmValue(int& value, uint8_t& quality, DateTime& time, double& real, int* timeBias) {
    value = 0;
    real = 0;
    std::lock_guard lock(mutex_);
    quality = value_.Quality;
    if (value_.pdc == nullptr) return false;
    time = value_.dt;
    if (timeBias != nullptr) *timeBias = value_.dt_bias;
    const TByteVal& b = value_.bv;
    switch (value_.pdc->tcName) {
        case 10:
        case 17:
            value = b[0] & 1;
            break;
        case 11: {
            const int d = b[0] & 3;
            value = d == 2 ? 1 : 0;
            // An indeterminate double point is published as not topical, a faulty one as invalid.
            if (d == 0) value_.Quality = 64;
            if (d == 3) value_.Quality = 128;
            break;
        }
        case 12:
            real = Int16At(b);
            break;
        case 13: {
            // Bits 1 and 2 of the QDS (reserved by the standard) carry a decimal scale chosen by the station.
            const double x = Int16At(b);
            const int k = (value_.Quality >> 1) & 3;
            real = k == 1 ? x * 0.1 : k == 2 ? x * 0.01 : k == 3 ? x * 0.001 : x;
            break;
        }
        case 14:
            real = std::bit_cast<float>(UInt32At(b));
            break;
        case 15:
            value = static_cast<int32_t>(UInt32At(b));
            real = value;
            if (quality != kNoQuality) quality &= 0x80;
            break;
        case 16:
            // Bits 0..6 are a two's complement step position; bit 7 (transient) is not part of it.
            value = (b[0] & 0x40) ? static_cast<int>(b[0] & 0x7F) - 128 : (b[0] & 0x3F);
            real = value;
            break;
        default:
            break;
    }
    return true;
}

ArmValue TTagSignal::GetArmValue() {
    ArmValue v;
    v.hasTime = GetArmValue(v.value, v.quality, v.time, v.real, &v.timeBias);
    return v;
}

TValue TTagSignal::Value() const {
    std::lock_guard lock(mutex_);
    return value_;
}

}  // namespace iec
