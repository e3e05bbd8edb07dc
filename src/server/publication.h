// The publication pass: every 200 ms while polling runs, the current value of every configured signal goes into
// its tag slot with an OPC quality and a time stamp, each station's "Connected" tag follows its link, change lines
// queue for the reserve server and the OPC UA server gets the new values. Runs on the owner's timer thread; one
// pass costs one look at every signal (linear in the signals, whatever the stations per thread).
#pragma once

#include <cstdint>

#include "model/runtime.h"

namespace iec {

// OPC DA quality of an IEC quality descriptor: IV 0, NT 20, SB 216, BL 28, else 192; 255 (never received) is 0.
int OpcQuality(uint8_t q);

// OPC DA quality of a value whose station's link is down: uncertain, last usable value. The value and its time
// stamp stay those of the last reception.
constexpr int kOpcQualityLinkLost = 0x44;

// The slot's time stamp: the station's own time tag shifted by Popravka_Time hours when the station passes its
// time tags and the shifted tag lies within three hours of now; otherwise now.
DateTime PublishedStamp(const T_KP& kp, DateTime tag_time, DateTime now);

void Out_Tags_To_OPC(Runtime& rt);

}  // namespace iec
