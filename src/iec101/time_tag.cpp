#include "iec101/asdu_decode.h"

namespace iec {

TimeTagResult DecodeTimeTag(std::span<const uint8_t> data, size_t offset, int length, DateTime now, DateTime& out,
                            std::string& message, int* bias, int nowBias) {
    // The octets the tag's fields come from: milliseconds always, minutes from three octets on, the date with the
    // hour from four octets on.
    const size_t need = length > 3 ? 7 : length > 2 ? 3 : 2;
    if (offset > data.size() || data.size() - offset < need) return TimeTagResult::Truncated;
    const auto at = [&](size_t i) { return static_cast<int>(data[offset + i]); };

    DateParts p;
    const int ms = at(0) + 256 * at(1);
    p.minute = length > 2 ? (at(2) & 0x3F) : 0;
    if (length > 3) {
        p.hour = at(3) & 0x1F;
        p.day = at(4) & 0x1F;
        p.month = at(5) & 0x0F;
        p.year = 2000 + (at(6) & 0x7F);
    }
    p.second = ms / 1000;
    p.msec = ms % 1000;
    // IV of the minutes octet: the station itself says the time is not to be trusted.
    const bool invalid = length > 2 && (at(2) & 0x80) != 0;
    const bool summer = length > 3 && (at(3) & 0x80) != 0;
    if (length < 7) {
        // A three-octet tag has no date: the element is stamped with its reception.
        if (invalid) return TimeTagResult::Invalid;
        out = now;
        if (bias != nullptr) *bias = nowBias;
        return TimeTagResult::Ok;
    }
    if (invalid) return TimeTagResult::Invalid;
    if (!(p.year > 2000 && p.year < 2100 && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= 31 &&
          p.hour < 24 && p.minute < 60 && p.second < 60 && p.msec < 1000)) {
        return TimeTagResult::OutOfRange;
    }
    DateTime t;
    if (!DateTime::TryCompose(p, t)) {
        message = " Плохая метка времени";
        return TimeTagResult::NotCalendar;
    }
    out = t;
    if (bias != nullptr) *bias = LocalToUtcBiasMinutes(t, summer ? 1 : 0);
    return TimeTagResult::Ok;
}

int ReadObjAddress(ByteReader& reader, const TIecDevice& device) {
    const uint32_t sz = device.sz_InfObjAddress;
    if (sz < 1 || sz > 3) return 0;
    return static_cast<int>(reader.UIntLE(sz));
}

}  // namespace iec
