// The control commands a test or an operator types while the simulator runs (one line each, see --help).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim101/line.h"

namespace iec::sim {

struct ControlResult {
    std::string reply;       // "ok ..." or "error ..."; printed as one line
    bool drop = false;       // close the TCP connection
    int64_t refuse_ms = 0;   // and accept no new one for this long
    bool quit = false;
};

ControlResult ApplyControl(Line& line, std::string_view text, const SimTime& now);

}  // namespace iec::sim
