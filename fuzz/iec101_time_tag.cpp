// Arbitrary time tags. Input: length octet, offset octet, then the data the tag is read from.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "iec101/asdu_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int length = static_cast<int8_t>(data[0]);
    const size_t offset = data[1];
    const std::span<const uint8_t> tag(data + 2, size - 2);
    iec::DateTime out;
    std::string message;
    const iec::DateTime now = iec::DateTime::Compose(iec::DateParts{2024, 6, 1, 12, 0, 0, 0});
    const auto result = iec::DecodeTimeTag(tag, offset, length, now, out, message);
    if (result != iec::TimeTagResult::Ok && out.days() != 0) __builtin_trap();
    if (result == iec::TimeTagResult::Ok) (void)out.FormatLog();
    return 0;
}
