// One simulated information object: its type, address, present value, quality and time of last change, and how
// it is written into an ASDU.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/date_time.h"
#include "sim101/type_table.h"

namespace iec::sim {

// Quality flags as the station reports them. They are kept in the bit positions of SIQ/DIQ/QDS
// (IV 0x80, NT 0x40, SB 0x20, BL 0x10, OV 0x01); a counter reports IV as IV, SB as CA (adjusted) and OV as CY.
namespace quality {
constexpr uint8_t kInvalid = 0x80;
constexpr uint8_t kNotTopical = 0x40;
constexpr uint8_t kSubstituted = 0x20;
constexpr uint8_t kBlocked = 0x10;
constexpr uint8_t kOverflow = 0x01;
}  // namespace quality

struct Point {
    uint32_t address = 0;
    const TypeInfo* type = nullptr;  // never null once loaded
    // Single 0/1, double 0..3, step -64..63, bit string as unsigned 32 bits, normalized -1..1, scaled
    // -32768..32767, float, counter as signed 32 bits, packed single points as 16 state bits; out-of-range values
    // are clamped when written.
    double value = 0;
    uint8_t quality = 0;
    bool transient = false;  // the T bit of a step position
    DateTime changed;        // wall time of the last change, for the time tag
    uint8_t counter_sequence = 0;
};

// Appends the element (value and quality octets) of the point, as its type's kind lays it out.
void AppendElement(const Point& p, std::vector<uint8_t>& out);

// How a station spoils its time tags when a test asks it to: marked invalid (IV), or a date that does not exist.
enum class TimeTagFault : uint8_t { None, Invalid, NoDate };

// Appends a CP24Time2a (3 octets) or CP56Time2a (7 octets) time tag of the given local time.
void AppendTimeTag(DateTime t, int octets, std::vector<uint8_t>& out, TimeTagFault fault = TimeTagFault::None);

// Whether a value is allowed for the kind (so that a set command can refuse nonsense).
bool ValueFits(PointKind kind, double value);

}  // namespace iec::sim
