// The one source of "now" for every time-dependent rule, so that tests can drive time instead of waiting.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/date_time.h"

namespace iec {

// Local wall-clock time with the time-zone bias in force at that instant (UTC = local + bias minutes). Taken
// together, so that a time read in the hour that repeats when the clocks go back still maps to the right UTC.
struct LocalNow {
    DateTime local;
    int bias_minutes = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local wall-clock time.
    virtual DateTime Now() const = 0;
    virtual LocalNow NowWithBias() const {
        const DateTime t = Now();
        return {t, LocalToUtcBiasMinutes(t)};
    }
    // A monotonic count of milliseconds for intervals (never goes back when the wall clock is set).
    virtual int64_t MonotonicMs() const = 0;
};

// The machine's clocks. Safe from any thread.
class SystemClock final : public Clock {
public:
    DateTime Now() const override;
    LocalNow NowWithBias() const override;
    int64_t MonotonicMs() const override;
    static SystemClock& Instance();
};

// A clock the test sets and advances; the monotonic count advances with it. Safe from any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(DateTime start = DateTime(45000.5)) : now_(start.days()) {}
    DateTime Now() const override { return DateTime(now_.load()); }
    // The bias set by the test, or the one the machine's zone has at the clock's local time.
    LocalNow NowWithBias() const override {
        const DateTime t = Now();
        const int b = bias_.load();
        return {t, b != kBiasUnknown ? b : LocalToUtcBiasMinutes(t)};
    }
    int64_t MonotonicMs() const override { return mono_ms_.load(); }
    void Set(DateTime t) { now_.store(t.days()); }
    void SetBias(int minutes) { bias_.store(minutes); }
    void AdvanceMs(int64_t ms);

private:
    std::atomic<double> now_;
    std::atomic<int> bias_{kBiasUnknown};
    std::atomic<int64_t> mono_ms_{0};
};

// Real time shifted by an offset the test moves forward: the line runs in real time while the protocol's
// periods (due times, supervision, reconnect) can be skipped. Safe from any thread.
class OffsetClock final : public Clock {
public:
    DateTime Now() const override {
        return DateTime(SystemClock::Instance().Now().days() + offset_ms_.load() * DateTime::kOneMs);
    }
    int64_t MonotonicMs() const override { return SystemClock::Instance().MonotonicMs() + offset_ms_.load(); }
    void AdvanceMs(int64_t ms) { offset_ms_.fetch_add(ms); }

private:
    std::atomic<int64_t> offset_ms_{0};
};

}  // namespace iec
