// The two grids of the main window for one station: the status signals with the station's link row above them,
// and the measured values. Laid out once when a station is chosen, filled every second while polling runs from
// the same snapshots the web pages read (each signal's value, quality and time read as one unit), or, on a
// reserve whose main works, from the tag table that the main's values arrive in.
#pragma once

#include "model/redundancy_state.h"
#include "model/station.h"
#include "model/tag_table.h"
#include "ui/grid_model.h"
#include "web/web_data.h"

namespace iec {

struct StationGrids {
    GridModel status;    // header, link row, one row per status signal, one spare row
    GridModel measured;  // header, one row per measured value, one spare row
    int Grid_KP_Nomer = 0;  // the station the grids are laid out for (from 1); 0: none
};

inline constexpr int kStatusGridColumns = 6;
inline constexpr int kMeasuredGridColumns = 7;

// Clears both grids, writes the headers and, for station n of the table, the names and addresses of its signals.
// A number outside the table leaves the bare headers and Grid_KP_Nomer 0.
void LayOutGrids(StationGrids& grids, const StationTable& table, int n);

struct GridSources {
    const StationTable& stations;
    const WebDataSource& signals;
    const TagTable& tags;
    const RedundancyState& redundancy;
};

// One refresh of the grids laid out for Grid_KP_Nomer.
void FillGrids(StationGrids& grids, const GridSources& sources);

// The quality words of the tag table as the reserve's grid shows them; empty for any other quality.
const char* QualityWord(int quality);

}  // namespace iec
