#include "model/common_address.h"

#include <algorithm>

namespace iec {

InterrogationAddress InterrogationCommonAddress(const T_KP& kp) {
    InterrogationAddress a;
    const auto note = [&a](int ca) {
        if (std::find(a.named.begin(), a.named.end(), ca) == a.named.end()) a.named.push_back(ca);
    };
    for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) note(kp.TS_arr[static_cast<size_t>(j)].AdrASDU);
    for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) note(kp.TI_arr[static_cast<size_t>(j)].AdrASDU);
    std::sort(a.named.begin(), a.named.end());
    if (a.named.empty()) {
        a.address = kp.IecDeviceVV.LinkAddress;
    } else if (a.named.size() == 1) {
        a.address = a.named.front();
    } else {
        a.global = true;
        a.address = kp.IecDeviceVV.sz_ASDUAddress == 2 ? 0xFFFF : 0xFF;
    }
    return a;
}

}  // namespace iec
