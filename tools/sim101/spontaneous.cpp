#include "sim101/spontaneous.h"

#include <algorithm>
#include <cmath>

namespace iec::sim {

SpontaneousSource::SpontaneousSource(double per_second, uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {
    if (per_second > 0 && std::isfinite(per_second)) period_ms_ = std::max(1.0, 1000.0 / per_second);
}

bool SpontaneousSource::TakeDue(int64_t now_ms) {
    if (!Enabled()) return false;
    const double now = static_cast<double>(now_ms);
    if (!started_) {
        started_ = true;
        next_ms_ = now + period_ms_;
        return false;
    }
    if (now < next_ms_) return false;
    // After a long stall (a stopped process, a jump of the test clock) the backlog is dropped, not replayed.
    if (now - next_ms_ > 100 * period_ms_) next_ms_ = now;
    next_ms_ += period_ms_;
    return true;
}

int64_t SpontaneousSource::NextDue() const {
    if (!Enabled()) return -1;
    return started_ ? static_cast<int64_t>(std::ceil(next_ms_)) : 0;
}

size_t SpontaneousSource::NextIndex(size_t count) {
    if (count == 0) return 0;
    const size_t i = turn_ % count;
    turn_ = i + 1;
    return i;
}

uint32_t SpontaneousSource::Random() {
    // xorshift32: small, fast and the same on every platform.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

void SpontaneousSource::Mutate(Point& p) {
    const uint32_t r = Random();
    switch (p.type->kind) {
        case PointKind::Single: p.value = p.value != 0 ? 0 : 1; break;
        case PointKind::Double: p.value = p.value == 1 ? 2 : 1; break;
        case PointKind::Step: p.value = p.value >= 63 ? -64 : std::floor(p.value) + 1; break;
        case PointKind::Bitstring:
            p.value = static_cast<double>(static_cast<uint32_t>(std::clamp(p.value, 0.0, 4294967295.0)) ^
                                          (1u << (r % 32)));
            break;
        case PointKind::Normalized:
        case PointKind::NormalizedNoQuality:
            p.value = (static_cast<double>(r % 65536) - 32768.0) / 32768.0;
            break;
        case PointKind::Scaled: p.value = static_cast<double>(r % 2001) - 1000.0; break;
        case PointKind::Float:
            p.value = std::clamp(p.value + (static_cast<double>(r % 2001) - 1000.0) / 100.0, -1e6, 1e6);
            break;
        case PointKind::Counter:
            p.value = p.value >= 2147483000.0 ? 0 : p.value + static_cast<double>(r % 100 + 1);
            break;
        case PointKind::Packed:
            p.value = static_cast<double>(static_cast<uint32_t>(std::clamp(p.value, 0.0, 65535.0)) ^ (1u << (r % 16)));
            break;
    }
}

}  // namespace iec::sim
