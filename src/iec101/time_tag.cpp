#include "iec101/asdu_decode.h"

namespace iec {

TimeTagResult DecodeTimeTag(std::span<const uint8_t> data, size_t offset, int length, DateTime now, DateTime& out,
                            std::string& message) {
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
    if (length < 7) {
        // A three-octet tag has no date: the element is stamped with its reception.
        p = now.Decode();
    }
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
    return TimeTagResult::Ok;
}

int ReadObjAddress(ByteReader& reader, const TIecDevice& device) {
    const uint32_t sz = device.sz_InfObjAddress;
    if (sz < 1 || sz > 3) return 0;
    return static_cast<int>(reader.UIntLE(sz));
}

}  // namespace iec
