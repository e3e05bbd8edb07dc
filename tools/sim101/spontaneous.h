// Spontaneous changes at a configured rate: when the next change is due, and what a point's next value is.
// Deterministic for a given seed, so a test or a demo run can be repeated.
#pragma once

#include <cstdint>

#include "sim101/point.h"

namespace iec::sim {

class SpontaneousSource {
public:
    // per_second 0 (or less) means no spontaneous changes.
    SpontaneousSource(double per_second, uint32_t seed);

    bool Enabled() const { return period_ms_ > 0; }
    // True when a change is due at now_ms; each true moves the schedule on by one period. The first change
    // falls one period after the first call.
    bool TakeDue(int64_t now_ms);
    // The monotonic time of the next change, -1 when disabled.
    int64_t NextDue() const;
    // Picks the next point index in [0, count) in turn.
    size_t NextIndex(size_t count);
    // Gives the point a new value that differs from its present one where the kind allows.
    void Mutate(Point& p);

private:
    uint32_t Random();

    double period_ms_ = 0;
    double next_ms_ = 0;
    bool started_ = false;
    uint32_t state_;
    size_t turn_ = 0;
};

}  // namespace iec::sim
