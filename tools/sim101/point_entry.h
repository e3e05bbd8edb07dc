// The short text form of points and command objects, the same on the command line and in a configuration file:
//   TYPE:ADDRESS[-LAST][=VALUE][,FLAG...]      a point, or one point per address of a range
//   C_SC_NA:ADDRESS[>POINT][,sbo][,refuse]     a command object (C_DC_NA alike)
// TYPE is a mnemonic (M_SP_NA, M_ME_TF, ...) or its number; FLAG is iv, nt, sb, bl, ov (quality) or t (the
// transient bit of a step position).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim101/station.h"

namespace iec::sim {

// Appends the points or command object of one entry to the station. Empty on success, else the reason.
std::string AddPointEntry(std::string_view entry, StationConfig& station);

// A value as written in an entry or a set command: a number, on/off, or a hexadecimal number (0x...) for bit
// strings. Double points read on as 2, off as 1.
std::optional<double> ParsePointValue(std::string_view text, PointKind kind);

// A quality flag word (iv, nt, sb, bl, ov); nullopt for anything else.
std::optional<uint8_t> ParseQualityFlag(std::string_view word);

// Splits at a separator, keeping empty parts.
std::vector<std::string_view> Split(std::string_view text, char separator);

}  // namespace iec::sim
