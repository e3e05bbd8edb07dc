// The common address a station's interrogations go to. A station's signal lines name the common address of the
// ASDUs that carry each signal; that address, not the link address, is what the station answers to.
#pragma once

#include <vector>

#include "model/station.h"

namespace iec {

struct InterrogationAddress {
    int address = 0;         // where general and counter interrogations go
    std::vector<int> named;  // the distinct common addresses the station's signal lines name, ascending
    bool global = false;     // the lines name several: the global address reaches them all
};

// The one common address the signal lines name; the global address (255, or 65535 with two octets) when they
// name several; the link address when the station has no signals.
InterrogationAddress InterrogationCommonAddress(const T_KP& kp);

}  // namespace iec
