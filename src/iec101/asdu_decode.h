// Decoding of received ASDUs into a polling thread's signal list. Runs on the polling thread; reads only inside
// the ASDU's data, whatever the octets say; failures are counted, never thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "iec101/asdu.h"
#include "iec101/byte_reader.h"
#include "iec101/counter.h"
#include "iec101/iec_device.h"
#include "model/tag_signal_list.h"
#include "platform/date_time.h"

namespace iec {

// Why decoding left an ASDU or element aside. Each has a counter so a bad line can be diagnosed in the field.
struct AsduCounters {
    Counter decoded;          // ASDUs decoded (or taken as telecontrol confirmation)
    Counter unknownType;      // type identification not in the table: whole ASDU ignored
    Counter badLength;        // step x elements differs from the data length: whole ASDU ignored
    Counter badBlockTime;     // SQ = 1 block whose common time tag is no calendar date: whole ASDU ignored
    Counter badElementTime;   // element time tag invalid, out of range or no date: stamped with its reception
    Counter noSignal;         // element (or bit) whose address has no signal
    Counter notDecodedType;   // element of a type without decoding rule
    Counter testAsdu;         // test bit set: not applied to any signal
    Counter endOfInit;        // end of initialisation reported by the station
};

// Invalid: the station marked the tag invalid (IV).
enum class TimeTagResult { Ok, OutOfRange, NotCalendar, Truncated, Invalid };

// Reads sz_InfObjAddress octets (1..3, low octet first) and advances; any other size reads nothing and gives 0.
// Past the end of the data it gives 0 and marks the reader failed.
int ReadObjAddress(ByteReader& reader, const TIecDevice& device);

// Time tag of length octets at data[offset]: 7 octets (CP56Time2a) give their own date and time; a shorter tag
// (CP24Time2a) gives the reception time `now`. out is written only for a valid date in 2001..2099 that the
// station did not mark invalid; a range-valid tag that is no calendar date sets message to " Плохая метка
// времени". A tag not inside data is Truncated. With bias given, it receives the tag's UTC bias: for a CP56 tag
// from its SU bit (summer time) where the zone has summer time then, else the bias in force at that local time;
// for the reception time nowBias.
TimeTagResult DecodeTimeTag(std::span<const uint8_t> data, size_t offset, int length, DateTime now, DateTime& out,
                            std::string& message, int* bias = nullptr, int nowBias = kBiasUnknown);

// Decodes one received ASDU into the signals of the station: looked up by the station's KPAddress2 and the
// common address the ASDU carries, and by the station's link address when no signal has that common address
// (configurations that name the link address for a station with another common address). Telecontrol and
// interrogation confirmations and the end of initialisation update the device. An ASDU with the test bit set
// changes nothing. `now` (with its UTC bias) stamps elements with a three-octet time tag or an unusable one.
// threadNumber is carried for diagnostics only.
void ReceiveRaspak(TIEC_ASDU& asdu, TIecDevice& device, int threadNumber, TTagSignalList& signals, DateTime now,
                   AsduCounters* counters = nullptr, int nowBias = kBiasUnknown);

// One element k whose octets (its address for SQ = 0) begin at pos. Called by ReceiveRaspak after its size check.
void RaspakInformObject(const TIEC_ASDU& asdu, int k, size_t pos, TTagSignalList& signals, int threadNumber,
                        const TIecDevice& device, DateTime now, AsduCounters* counters = nullptr,
                        int nowBias = kBiasUnknown);

}  // namespace iec
