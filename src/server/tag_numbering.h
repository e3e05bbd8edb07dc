// Tag numbers: every station's branch, status signals, measured values and "Connected" tag get consecutive
// numbers in station order. OPC DA, OPC UA, the web pages and the reserve server all use the same numbers.
#pragma once

#include "model/runtime.h"

namespace iec {

// The number of tag slots the stations need: per station one branch, its TS and TIT, one "Connected"; then the
// "lifebit" after the last station's numbers.
int TagSlotsNeeded(const StationTable& table);

// Numbers the slots and fills the station fields Nom_OPC_1st, Nom_OPC_TS, Nom_OPC_TI, Nom_OPC_Alarm. The caller
// has checked that the numbers fit the table (TagSlotsNeeded).
void Number_Tags(Runtime& rt);

}  // namespace iec
