#include "ui/station_commands.h"

#include <utility>

#include "ui/ui_texts.h"

namespace iec {
namespace {

// Every signal names its station by number and name.
void SetOwner(T_KP& kp, int n) {
    for (T_TS& ts : kp.TS_arr) {
        ts.NomerKP = n;
        ts.NameKP = kp.NameKP;
    }
    for (T_TI& ti : kp.TI_arr) {
        ti.NomerKP = n;
        ti.NameKP = kp.NameKP;
    }
}

bool TableFull(const StationTable& table) {
    return table.Kol_KP >= kMaxStations || table.Kol_KP + 1 >= static_cast<int>(table.KP_arr.size());
}

}  // namespace

std::string AddRefusal(const StationTable& table, CommandOrigin origin) {
    if (table.Kol_KP < kStationsByDialog) return {};
    return origin == CommandOrigin::Button ? ui_text::kLimitButton : ui_text::kLimitMenu;
}

bool AppendStation(StationTable& table, T_KP station) {
    if (TableFull(table)) return false;
    const int n = ++table.Kol_KP;
    SetOwner(station, n);
    table.KP_arr[static_cast<size_t>(n)] = std::move(station);
    return true;
}

bool ReplaceStation(StationTable& table, int n, T_KP station) {
    T_KP* kp = table.Station(n);
    if (kp == nullptr) return false;
    SetOwner(station, n);
    *kp = std::move(station);
    return true;
}

bool DeleteStation(StationTable& table, int n) {
    if (table.Station(n) == nullptr) return false;
    const int last = table.Kol_KP;
    T_KP& gone = table.KP_arr[static_cast<size_t>(n)];
    if (n != last) {
        gone = std::move(table.KP_arr[static_cast<size_t>(last)]);
        SetOwner(gone, n);
    }
    // The freed record keeps nothing that a later station could inherit.
    table.KP_arr[static_cast<size_t>(last)] = T_KP{};
    --table.Kol_KP;
    return true;
}

std::string CopyRefusal(const StationTable& table) { return TableFull(table) ? ui_text::kLimitCopy : ""; }

int CopyStation(StationTable& table, int n, RandomSource& random) {
    const T_KP* original = table.Station(n);
    if (original == nullptr || TableFull(table)) return 0;
    T_KP copy = *original;
    copy.NameKP += ui_text::kCopySuffix + std::to_string(random.Below(kCopySuffixBound));
    copy.IecDeviceVV.Name = copy.NameKP;
    return AppendStation(table, std::move(copy)) ? table.Kol_KP : 0;
}

}  // namespace iec
