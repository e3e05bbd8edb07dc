// The line a polling thread talks over: a serial port, or a TCP connection to a serial-to-Ethernet converter that
// carries the same frames. The station polling sees only these operations, so tests can put a scripted line in.
#pragma once

#include <string>
#include <string_view>

#include "model/station.h"

namespace iec {

class StationLine {
public:
    virtual ~StationLine() = default;
    // Once, when the thread starts (a TCP line connects; failure is not fatal, reads reconnect).
    virtual void Begin() {}
    // Opens the port when it is not open; false (after a pause) when it cannot be opened.
    virtual bool OpenPort() { return true; }
    // Applies the line settings of the station that is served next. The row may be corrected (a speed below 1).
    virtual bool SetupPort(TIecDeviceVV& /*row*/) { return true; }
    // Sends one frame (nothing while the reserve is idle).
    virtual void WritePort(std::string_view octets) = 0;
    // What the station sent, bounded by the line's time-outs; empty when nothing usable came.
    virtual std::string ReadPort() = 0;
    // Closes the port or connection when the thread ends.
    virtual void ClosePort() {}
};

}  // namespace iec
