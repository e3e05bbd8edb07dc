// What the simulator's event loop does between its waits, the same on every platform: the line's timers, the late
// answers of a delay fault, the control commands, and the octets the endpoint received.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim101/endpoint.h"
#include "sim101/line.h"
#include "sim101/sim_time.h"

namespace iec::sim {

class LoopCore {
public:
    LoopCore(Line& line, Endpoint& endpoint, const PrintLine& print)
        : line_(line), endpoint_(endpoint), print_(print), was_connected_(endpoint.Connected()) {}

    // Runs what is due by now; returns how long the next wait may last, in milliseconds (at most a second).
    int Due(const SimTime& now);
    // Control input as it arrives, in chunks of any size; each complete line is a command. True after "quit".
    bool ControlText(std::string_view chunk, const SimTime& now);
    // What the endpoint received in its last service (possibly nothing).
    void Received(const std::vector<uint8_t>& octets, const SimTime& now);

private:
    Line& line_;
    Endpoint& endpoint_;
    const PrintLine& print_;
    // Answers waiting for their time (a delay fault), in the order they were made.
    std::multimap<int64_t, std::vector<uint8_t>> pending_;
    std::string control_text_;
    bool was_connected_;
};

// Monotonic and wall time now, from the system clock.
SimTime SystemNow();

}  // namespace iec::sim
