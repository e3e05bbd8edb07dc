// The command ASDUs the controlling station sends. Each builder replaces the ASDU held in the station's command
// slot with a new one (one element, SQ = 0; cause 6 activation, a read cause 5 request); the caller puts the
// slot's ASDU into the send mailbox. Runs on the station's polling thread.
#pragma once

#include "iec101/asdu.h"
#include "iec101/iec_device.h"

namespace iec {

// Interrogations go to the station's interrogation address.
void CreateAsduGI(const TIecDevice& station, AsduPtr& slot);    // C_IC_NA, QOI 20 (station interrogation)
void CreateAsduCI(const TIecDevice& station, AsduPtr& slot);    // C_CI_NA, QCC 5 (general request, no freeze)
// C_RD_NA of one object, no element, to the common address its signal is configured with (0: the station's).
void CreateAsduRead(const TIecDevice& station, int objAddress, AsduPtr& slot, int commonAddress = 0);
// C_DC_NA for the double kinds (tek_type_tu_t 2 or 3), else C_SC_NA; the frame builder writes the command octet.
void CreateAsduTU(const TIecDevice& station, AsduPtr& slot);

}  // namespace iec
