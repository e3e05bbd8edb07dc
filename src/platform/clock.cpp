#include "platform/clock.h"

#include <chrono>

namespace iec {

DateTime SystemClock::Now() const { return DateTime::FromSystem(std::chrono::system_clock::now()); }

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
