// Field widths of a station as the frame code uses them. Widths are validated where stations are loaded; these
// fall back to the narrowest form so that no value of a device field can make a frame overrun its buffer.
#pragma once

#include <cstddef>

#include "iec101/iec_device.h"

namespace iec {

inline size_t LinkAddressSize(const TIecDevice& d) { return d.sz_LinkAddress == 2 ? 2 : 1; }
inline size_t CauseSize(const TIecDevice& d) { return d.sz_PrichinaPeredachi == 2 ? 2 : 1; }
inline size_t CommonAddressSize(const TIecDevice& d) { return d.sz_ASDUAddress == 2 ? 2 : 1; }
inline size_t ObjectAddressSize(const TIecDevice& d) {
    return d.sz_InfObjAddress >= 1 && d.sz_InfObjAddress <= 3 ? d.sz_InfObjAddress : 0;
}

}  // namespace iec
