#include "platform/clock.h"

#include <chrono>
#include <cmath>

namespace iec {

DateTime SystemClock::Now() const { return DateTime::FromSystem(std::chrono::system_clock::now()); }

LocalNow SystemClock::NowWithBias() const {
    const auto tp = std::chrono::system_clock::now();
    const DateTime local = DateTime::FromSystem(tp);
    // The same instant as UTC: local - utc is the offset in force now, with no guess about repeated hours.
    const auto utc_ms = std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count();
    const double utc_days = static_cast<double>(utc_ms) / 86400000.0 + 25569.0;
    return {local, static_cast<int>(std::lround((utc_days - local.days()) * 1440.0))};
}

int64_t SystemClock::MonotonicMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

void ManualClock::AdvanceMs(int64_t ms) {
    mono_ms_.fetch_add(ms);
    double cur = now_.load();
    while (!now_.compare_exchange_weak(cur, cur + static_cast<double>(ms) * DateTime::kOneMs)) {
    }
}

}  // namespace iec
