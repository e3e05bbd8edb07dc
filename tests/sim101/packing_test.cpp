#include "sim101/packing.h"

#include <gtest/gtest.h>

#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::MakeStation;
using test::ToHex;

std::vector<std::string> Pack(const StationConfig& c, const char* type, bool sequence, FieldWidths w = {}) {
    std::vector<const Point*> points;
    for (const auto& p : c.points) points.push_back(&p);
    std::vector<std::vector<uint8_t>> out;
    PackPoints(*FindType(std::string_view(type)), points, AsduHeader{0, 0, 20, 0, 5}, w, sequence, out);
    std::vector<std::string> hex;
    for (const auto& a : out) hex.push_back(ToHex(a));
    return hex;
}

TEST(Packing, SequencesOfConsecutiveAddresses) {
    const StationConfig c = MakeStation(5, 5, {"M_SP_NA:7=1", "M_SP_NA:1-3=1", "M_SP_NA:10=0"});
    EXPECT_EQ(Pack(c, "M_SP_NA", true),
              (std::vector<std::string>{"01 83 14 05 01 00 01 01 01", "01 02 14 05 07 00 01 0A 00 00"}));
    EXPECT_EQ(Pack(c, "M_SP_NA", false),
              std::vector<std::string>{"01 05 14 05 07 00 01 01 00 01 02 00 01 03 00 01 0A 00 00"});
}

TEST(Packing, TimeTaggedTypesNeverGoInASequence) {
    const StationConfig c = MakeStation(5, 5, {"M_ME_TF:1-2=0"});
    const auto out = Pack(c, "M_ME_TF", true);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].substr(0, 5), "24 02");
}

TEST(Packing, LongSequencesAreSplitAtTheFrameLimit) {
    // Floats: (253 - 4 header octets - 2 address octets) / 5 = 49 elements per ASDU.
    const StationConfig c = MakeStation(5, 5, {"M_ME_NC:1-100=0"});
    const auto out = Pack(c, "M_ME_NC", true);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].substr(0, 20), "0D B1 14 05 01 00 00");
    EXPECT_EQ(out[1].substr(0, 20), "0D B1 14 05 32 00 00");
    EXPECT_EQ(out[2].substr(0, 20), "0D 82 14 05 63 00 00");
    for (const auto& a : out) EXPECT_LE(test::Hex(a).size(), 253u);
}

TEST(Packing, WideFieldsAndAMaximumCount) {
    // One-octet elements and addresses: SQ = 0 is bounded by the frame, SQ = 1 by the 7-bit count.
    const StationConfig c = MakeStation(5, 5, {"M_SP_NA:1-200=0"});
    const auto separate = Pack(c, "M_SP_NA", false, FieldWidths{1, 1, 1, 1});
    ASSERT_EQ(separate.size(), 2u);
    EXPECT_EQ(separate[0].substr(0, 2), "01");
    EXPECT_EQ(separate[0].substr(3, 2), "7C");  // (253 - 4) / 2 = 124 objects
    const auto sequence = Pack(c, "M_SP_NA", true, FieldWidths{1, 1, 1, 1});
    ASSERT_EQ(sequence.size(), 2u);
    EXPECT_EQ(sequence[0].substr(3, 2), "FF");  // SQ = 1 with 127 elements
    EXPECT_EQ(sequence[1].substr(3, 11), "C9 14 05 80");  // 73 more, from address 128
}

}  // namespace
}  // namespace iec::sim
