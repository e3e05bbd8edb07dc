// A station built from point entries, with helpers to send an ASDU and read back the class 1 queue as hex.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "hex.h"
#include "sim101/point_entry.h"
#include "sim101/station.h"

namespace iec::sim::test {

inline StationConfig MakeStation(uint32_t link, uint32_t common, std::initializer_list<const char*> entries) {
    StationConfig c;
    c.link_address = link;
    c.common_address = common;
    for (const char* s : entries) {
        const std::string e = AddPointEntry(s, c);
        EXPECT_EQ(e, "") << s;
    }
    return c;
}

inline std::vector<std::string> Drain(Station& s) {
    std::vector<std::string> out;
    while (auto a = s.TakeClass1()) out.push_back(ToHex(*a));
    return out;
}

// 2024-03-15 (a Friday) 10:20:30.456; its CP56Time2a is F8 76 14 0A AF 03 18.
inline DateTime FixedTime() { return DateTime::Compose({2024, 3, 15, 10, 20, 30, 456}); }

}  // namespace iec::sim::test
