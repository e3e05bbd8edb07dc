// The protocol code never reads a clock: the caller passes the current time in both forms it needs.
#pragma once

#include <cstdint>

#include "opcua/server/types.h"

namespace iec::ua {

struct Now {
    int64_t mono_ms = 0;  // monotonic milliseconds, for intervals and time-outs
    UaDateTime utc = 0;   // wall-clock time for time stamps sent to clients
};

}  // namespace iec::ua
