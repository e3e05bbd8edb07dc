// The command ASDUs the controlling station sends. Each builder replaces the ASDU held in the station's command
// slot with a new one (one element, SQ = 0, cause 6 activation); the caller puts the slot's ASDU into the send
// mailbox. Runs on the station's polling thread.
#pragma once

#include "iec101/asdu.h"
#include "iec101/iec_device.h"

namespace iec {

void CreateAsduGI(const TIecDevice& station, AsduPtr& slot);    // C_IC_NA, QOI 20 (station interrogation)
void CreateAsduCI(const TIecDevice& station, AsduPtr& slot);    // C_CI_NA, QCC 5 (general request, no freeze)
void CreateAsduRead(const TIecDevice& station, int objAddress, AsduPtr& slot);  // C_RD_NA, no element
// C_DC_NA for the double kinds (tek_type_tu_t 2 or 3), else C_SC_NA; the frame builder writes the command octet.
void CreateAsduTU(const TIecDevice& station, AsduPtr& slot);

}  // namespace iec
