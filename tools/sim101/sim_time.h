// The time handed to the protocol logic: it reads no clock itself, so tests can drive it.
#pragma once

#include <cstdint>

#include "platform/date_time.h"

namespace iec::sim {

struct SimTime {
    int64_t ms = 0;  // monotonic milliseconds: periods, time-outs, the spontaneous rate
    DateTime wall;   // local calendar time: the time tags of changes
};

}  // namespace iec::sim
