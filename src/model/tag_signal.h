// One runtime signal of a polling thread: its addresses, set once at polling start, and its value, written by the
// polling thread's decoder while the publication pass, grids and web pages read it. The value, quality and time
// are guarded by a per-signal mutex so that a reader never sees one element's value with another's quality.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "iec101/type_ident.h"
#include "model/tag_value.h"
#include "platform/date_time.h"

namespace iec {

// The published view of a signal.
struct ArmValue {
    int value = 0;
    uint8_t quality = kNoQuality;
    DateTime time;
    int timeBias = kBiasUnknown;  // UTC = time + timeBias minutes
    bool hasTime = false;  // false while the signal has no detailed category: callers keep their own time
    double real = 0.0;
};

class TTagSignal {
public:
    TTagSignal() = default;
    // A new signal with the parameters and a snapshot of the value of other.
    TTagSignal(const TTagSignal& other);
    TTagSignal& operator=(const TTagSignal&) = delete;

    void SetParam_2(int kpAddress, int asduAddress, int indArm, const TTagCategory* category, std::string name,
                    int objAddress);

    // Status point element at data[pos] (bit-split types: the bit'th bit of the element, with the quality of the
    // whole element). Elements that do not lie inside data, and bit numbers outside the type's element, change
    // nothing. timeBias: UTC = time + timeBias minutes, when known.
    void ChangeTS(const TTypeIdent& type, std::span<const uint8_t> data, size_t pos, DateTime time, int bit,
                  uint8_t quality, int timeBias = kBiasUnknown);
    // Measured value, step position, bit string or integrated total at data[pos]. Returns an empty text, or why the
    // value was not changed.
    std::string ChangeVal(const TTypeIdent& type, std::span<const uint8_t> data, size_t pos, DateTime time,
                          int timeBias = kBiasUnknown);

    // The publication view. time is written only when the signal has a detailed category (the result says so).
    // A double point read as indeterminate (00) or faulty (11) stores NT or IV as the signal's quality, which the
    // following reads report. An integrated total reports IV only: its carry and adjusted flags do not make the
    // count wrong, and its sequence number is no quality at all.
    bool GetArmValue(int& value, uint8_t& quality, DateTime& time, double& real, int* timeBias = nullptr);
    ArmValue GetArmValue();

    // A consistent copy of the value.
    TValue Value() const;

    std::string Name;
    int Address = 0;
    bool prNew = true;
    int FKPAddress = 0;
    int FAsduAddress = 0;
    int FObjAddress = 0;
    int FIndArm = 0;

private:
    mutable std::mutex mutex_;
    TValue value_;
};

}  // namespace iec
