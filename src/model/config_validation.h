// Checks of a loaded station table that the reader does not make: values the polling and decoding rely on
// (field widths, address ranges, command kinds, channel settings) and mistakes that lose data silently
// (two signals on one address). Each finding is a warning naming the station and the signal.
#pragma once

#include "model/config_problem.h"
#include "model/station.h"

namespace iec {

ConfigReport ValidateStations(const StationTable& table);

}  // namespace iec
