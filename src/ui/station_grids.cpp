#include "ui/station_grids.h"

#include <cmath>
#include <string>

#include "platform/number_text.h"
#include "ui/ui_texts.h"

namespace iec {
namespace {

constexpr int kStationIdBase = 1000;  // FsstID = 1000 + station number

std::string Address(int asdu, int ioa) { return std::to_string(asdu) + "," + std::to_string(ioa); }

// A time stamp as the grids show it: only a real one (a signal never received has none), in the station's time.
void SetTime(GridModel& grid, int row, int column, DateTime time, int correction_hours) {
    if (time.days() > 1.0) grid.Set(row, column, (time + correction_hours * DateTime::kOneHour).FormatDisplay());
}

// The reserve shows what its main sent: value, OPC quality and time of the tag table.
void FillFromTagTable(StationGrids& grids, const T_KP& kp, const TagTable& tags) {
    TagSlot slot;
    for (int j = 1; j <= kp.Kol_TS; ++j) {
        if (!tags.Read(kp.Nom_OPC_TS + j - 1, slot)) continue;
        grids.status.Set(j + 1, 3, FormatReal(slot.value));
        if (const char* word = QualityWord(slot.tag.Quality); *word) grids.status.Set(j + 1, 4, word);
        grids.status.Set(j + 1, 5, slot.tag.Stamp_DateTime.FormatDisplay());
    }
    for (int j = 1; j <= kp.Kol_TI; ++j) {
        if (!tags.Read(kp.Nom_OPC_TI + j - 1, slot)) continue;
        grids.measured.Set(j, 5, FormatReal(slot.value));
        if (const char* word = QualityWord(slot.tag.Quality); *word) grids.measured.Set(j, 4, word);
        grids.measured.Set(j, 6, slot.tag.Stamp_DateTime.FormatDisplay());
    }
}

std::string EngineeringText(const WebSignal& s, bool rescale) {
    if (!rescale) return FormatReal(s.real);
    // Stations send counts; the configured range maps whole counts.
    const double raw = std::trunc(s.real);
    return FormatReal(s.RawToEng ? s.RawToEng(raw) : raw);
}

void FillFromSignals(StationGrids& grids, const WebStation& station, const WebDataSource& signals) {
    const int id = kStationIdBase + grids.Grid_KP_Nomer;
    grids.status.Set(1, 3, station.Connected ? ui_text::kLinkUp : ui_text::kLinkDown);
    int ts_row = 2;
    int ti_row = 1;
    signals.ForEachSignal([&](const WebSignal& s) {
        if (s.FsstID != id) return;
        if (s.Fst == stTS) {
            const int row = ts_row++;
            GridModel& g = grids.status;
            g.Set(row, 1, s.Name);
            g.Set(row, 2, Address(s.FSigASDUAddr, s.FSigObjAddr));
            g.Set(row, 3, std::to_string(s.value));
            g.Set(row, 4, std::to_string(s.quality));
            SetTime(g, row, 5, s.time, station.Popravka_Time);
        } else if (s.Fst == stTIT) {
            const int row = ti_row++;
            GridModel& g = grids.measured;
            g.Set(row, 1, s.Name);
            g.Set(row, 2, Address(s.FSigASDUAddr, s.FSigObjAddr));
            g.Set(row, 3, FormatReal(s.real));
            g.Set(row, 4, std::to_string(s.quality));
            g.Set(row, 5, EngineeringText(s, station.PereschetTI));
            SetTime(g, row, 6, s.time, station.Popravka_Time);
        }
    });
}

}  // namespace

const char* QualityWord(int quality) {
    switch (quality) {
        case 0: return "QUALITY_BAD";
        case 192: return "QUALITY_GOOD";
        case 20: return "_LAST_KNOWN";
        case 216: return "_LOCAL_OVERRIDE";
        case 28: return "_OUT_OF_SERVICE";
        default: return "";
    }
}

void LayOutGrids(StationGrids& grids, const StationTable& table, int n) {
    const T_KP* kp = table.Station(n);
    grids.Grid_KP_Nomer = kp ? n : 0;
    const int kol_ts = kp ? kp->Kol_TS : 0;
    const int kol_ti = kp ? kp->Kol_TI : 0;
    grids.status.Reset(kol_ts + 3, kStatusGridColumns);
    grids.measured.Reset(kol_ti + 2, kMeasuredGridColumns);
    grids.status.SetHeader({"Название", "Адрес", "Значение", "Байт качества", "Время"});
    grids.measured.SetHeader(
        {"Название", "Адрес", "Значение (физ.)", "Байт качества", "Значение (инж.)", "Время"});
    if (kp == nullptr) return;
    grids.status.Set(1, 1, ui_text::kLinkRow);
    for (int j = 1; j <= kol_ts && static_cast<size_t>(j) < kp->TS_arr.size(); ++j) {
        const T_TS& ts = kp->TS_arr[static_cast<size_t>(j)];
        grids.status.Set(j + 1, 1, ts.NameTS);
        grids.status.Set(j + 1, 2, Address(ts.AdrASDU, ts.AdrIOA));
    }
    for (int j = 1; j <= kol_ti && static_cast<size_t>(j) < kp->TI_arr.size(); ++j) {
        const T_TI& ti = kp->TI_arr[static_cast<size_t>(j)];
        grids.measured.Set(j, 1, ti.NameTI);
        grids.measured.Set(j, 2, Address(ti.AdrASDU, ti.AdrIOA));
    }
}

void FillGrids(StationGrids& grids, const GridSources& sources) {
    const int n = grids.Grid_KP_Nomer;
    if (sources.redundancy.ReserveIdle()) {
        if (const T_KP* kp = sources.stations.Station(n)) FillFromTagTable(grids, *kp, sources.tags);
        return;
    }
    if (const std::optional<WebStation> station = sources.signals.Station(n)) {
        FillFromSignals(grids, *station, sources.signals);
    }
}

}  // namespace iec
