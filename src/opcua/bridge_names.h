// Names and times as the OPC UA server library takes them from the bridge.
#pragma once

#include <cstdint>
#include <string>

#include "platform/date_time.h"

namespace iec {

// A name the OPC UA clients can show on any system: Cyrillic letters transliterated (upper case by the table the
// installations have always used, lower case to the same Latin letter in lower case), a leading digit replaced by
// "n", blanks and punctuation (and "." unless keep_points) replaced by "_". UTF-8 in and out.
std::string Translit_Name(const std::string& text, bool keep_points);

// A text as the library takes it: one octet per character (the character's code when it is at most U+00FF).
struct LowBytes {
    std::string bytes;   // characters above U+00FF, which have no octet of their own, as "_"
    int characters = 0;  // the text's full character count
    bool latin1 = true;  // false when some character was above U+00FF
};
LowBytes ToLowBytes(const std::string& utf8);

// The OPC UA time (100-ns intervals since 1601-01-01 UTC) of a local time x; x before 1900-01-02 means now.
// bias_minutes: UTC = local time + bias, the bias in force at that moment.
int64_t UA_Time(DateTime x, DateTime now, int bias_minutes);

}  // namespace iec
