// What the publication pass hands to the OPC UA server: the interface the polling start, stop and publication
// call, so that the model does not depend on the server library or on how it is loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/date_time.h"

namespace iec {

struct Runtime;

// One published slot after a publication pass.
struct UaUpdate {
    enum class Kind { Status, Measured, Link };
    int tag = 0;
    Kind kind = Kind::Status;
    double value = 0.0;    // the published value (a status signal's state, a scaled measured value, link 1/0)
    uint8_t quality = 0;   // the signal's own quality octet: a quality flag (IV NT SB BL OV) makes the value bad
    DateTime stamp;        // the slot's time stamp (local time)
    int bias = kBiasUnknown;  // UTC = stamp + bias minutes
    bool link_lost = false;   // the station's link is down: the last value, no longer refreshed
};

class OpcUaOutlet {
public:
    virtual ~OpcUaOutlet() = default;

    struct BuildResult {
        bool started = false;
        std::string message;  // one line for the operator: what runs, or why OPC UA is off this run
    };
    // At every polling start, once the polling threads exist; only called when OPC_UA_use is set.
    virtual BuildResult Build(Runtime& rt) = 0;
    // At every polling stop: stops the server and waits for it. Safe when nothing runs.
    virtual void Stop(Runtime& rt) = 0;
    // After each publication pass, on the thread that runs the pass, with the slots it wrote.
    virtual void Publish(const std::vector<UaUpdate>& updates, LocalNow now) = 0;
};

}  // namespace iec
