#include "model/station.h"

namespace iec {

// The arrays grow to the count plus 20 spare elements, as the reader of the station file has always sized them.
T_TS& T_KP::AddTS() {
    ++Kol_TS;
    TS_arr.resize(static_cast<size_t>(Kol_TS) + 20);
    TS_arr[static_cast<size_t>(Kol_TS)] = T_TS{};
    return TS_arr[static_cast<size_t>(Kol_TS)];
}

T_TI& T_KP::AddTI() {
    ++Kol_TI;
    TI_arr.resize(static_cast<size_t>(Kol_TI) + 20);
    TI_arr[static_cast<size_t>(Kol_TI)] = T_TI{};
    return TI_arr[static_cast<size_t>(Kol_TI)];
}

}  // namespace iec
