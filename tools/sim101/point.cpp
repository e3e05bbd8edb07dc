#include "sim101/point.h"

#include <bit>
#include <cmath>

namespace iec::sim {
namespace {

void AppendLe(std::vector<uint8_t>& out, uint32_t v, int octets) {
    for (int i = 0; i < octets; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Rounds and clamps, so that any finite or infinite input gives a defined integer.
int64_t Clamp(double v, int64_t lo, int64_t hi) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(lo)) return lo;
    if (v >= static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(std::llround(v));
}

constexpr uint8_t kQdsMask = quality::kInvalid | quality::kNotTopical | quality::kSubstituted |
                             quality::kBlocked | quality::kOverflow;
constexpr uint8_t kSiqMask = quality::kInvalid | quality::kNotTopical | quality::kSubstituted | quality::kBlocked;

}  // namespace

void AppendElement(const Point& p, std::vector<uint8_t>& out) {
    const uint8_t qds = p.quality & kQdsMask;
    switch (p.type->kind) {
        case PointKind::Single:
            out.push_back(static_cast<uint8_t>((p.value != 0 ? 1 : 0) | (p.quality & kSiqMask)));
            break;
        case PointKind::Double:
            out.push_back(static_cast<uint8_t>((Clamp(p.value, 0, 3) & 3) | (p.quality & kSiqMask)));
            break;
        case PointKind::Step:
            out.push_back(static_cast<uint8_t>((Clamp(p.value, -64, 63) & 0x7F) | (p.transient ? 0x80 : 0)));
            out.push_back(qds);
            break;
        case PointKind::Bitstring:
            AppendLe(out, static_cast<uint32_t>(Clamp(p.value, 0, 0xFFFFFFFFLL)), 4);
            out.push_back(qds);
            break;
        case PointKind::Normalized:
        case PointKind::NormalizedNoQuality:
            // NVA: -1 maps to -32768 and the largest value is 1 - 2^-15.
            AppendLe(out, static_cast<uint32_t>(Clamp(p.value * 32768.0, -32768, 32767)), 2);
            if (p.type->kind == PointKind::Normalized) out.push_back(qds);
            break;
        case PointKind::Scaled:
            AppendLe(out, static_cast<uint32_t>(Clamp(p.value, -32768, 32767)), 2);
            out.push_back(qds);
            break;
        case PointKind::Float:
            AppendLe(out, std::bit_cast<uint32_t>(static_cast<float>(p.value)), 4);
            out.push_back(qds);
            break;
        case PointKind::Packed:
            // The 16 states, then 16 change-detection bits: none, as no change is reported between two readings.
            AppendLe(out, static_cast<uint32_t>(Clamp(p.value, 0, 0xFFFF)), 4);
            out.push_back(qds);
            break;
        case PointKind::Counter: {
            AppendLe(out, static_cast<uint32_t>(Clamp(p.value, INT32_MIN, INT32_MAX)), 4);
            uint8_t bcr = p.counter_sequence & 0x1F;
            if (p.quality & quality::kOverflow) bcr |= 0x20;
            if (p.quality & quality::kSubstituted) bcr |= 0x40;
            if (p.quality & quality::kInvalid) bcr |= 0x80;
            out.push_back(bcr);
            break;
        }
    }
}

void AppendTimeTag(DateTime t, int octets, std::vector<uint8_t>& out, TimeTagFault fault) {
    const DateParts d = t.Decode();
    AppendLe(out, static_cast<uint32_t>(d.second * 1000 + d.msec), 2);
    out.push_back(static_cast<uint8_t>((d.minute & 0x3F) | (fault == TimeTagFault::Invalid ? 0x80 : 0)));
    if (octets < 7) return;
    out.push_back(static_cast<uint8_t>(d.hour & 0x1F));
    // CP56Time2a counts the day of the week from Monday = 1 to Sunday = 7.
    const int dow = t.DayOfWeek() == 1 ? 7 : t.DayOfWeek() - 1;
    const bool no_date = fault == TimeTagFault::NoDate;
    out.push_back(static_cast<uint8_t>(((no_date ? 31 : d.day) & 0x1F) | (dow << 5)));
    out.push_back(static_cast<uint8_t>((no_date ? 2 : d.month) & 0x0F));
    out.push_back(static_cast<uint8_t>(d.year % 100));
}

bool ValueFits(PointKind kind, double v) {
    if (!std::isfinite(v)) return false;
    switch (kind) {
        case PointKind::Single: return v == 0 || v == 1;
        case PointKind::Double: return v == 0 || v == 1 || v == 2 || v == 3;
        case PointKind::Step: return v >= -64 && v <= 63 && v == std::floor(v);
        case PointKind::Bitstring: return v >= 0 && v <= 4294967295.0 && v == std::floor(v);
        case PointKind::Normalized:
        case PointKind::NormalizedNoQuality: return v >= -1 && v <= 1;
        case PointKind::Scaled: return v >= -32768 && v <= 32767 && v == std::floor(v);
        case PointKind::Float: return std::fabs(v) <= 3.4e38;
        case PointKind::Counter: return v >= INT32_MIN && v <= INT32_MAX && v == std::floor(v);
        case PointKind::Packed: return v >= 0 && v <= 65535 && v == std::floor(v);
    }
    return false;
}

}  // namespace iec::sim
