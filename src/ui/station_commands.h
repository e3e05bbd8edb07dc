// The station commands of the main window on the station table alone: adding, replacing, deleting and copying a
// station. Saving the files and refreshing the window are the caller's.
#pragma once

#include <string>

#include "model/station.h"
#include "ui/random_source.h"

namespace iec {

// The dialog adds stations up to this count; copies go on to the table's size.
inline constexpr int kStationsByDialog = 32;
// Copies get the station's name, "_copy_" and a number below this.
inline constexpr int kCopySuffixBound = 199;

// Where "Добавить" was given: the two places refuse with different texts.
enum class CommandOrigin { Button, Menu };

// Why a station cannot be added from that place now; empty when it can.
std::string AddRefusal(const StationTable& table, CommandOrigin origin);

// Appends the station as number Kol_KP + 1 (its signals' owner fields follow). False when the table is full.
bool AppendStation(StationTable& table, T_KP station);

// Station n becomes the given record (its signals' owner fields follow). False when n is not a station.
bool ReplaceStation(StationTable& table, int n, T_KP station);

// Removes station n: the last station takes its place and the table shrinks by one. False when n is not a station.
bool DeleteStation(StationTable& table, int n);

// Why no station can be copied now (the table is full); empty when one can.
std::string CopyRefusal(const StationTable& table);

// Appends a copy of station n (every field and signal) named NameKP + "_copy_" + a random number 0..198.
// Returns the copy's number, or 0 when n is not a station or the table is full.
int CopyStation(StationTable& table, int n, RandomSource& random);

}  // namespace iec
