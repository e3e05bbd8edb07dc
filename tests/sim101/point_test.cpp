#include "sim101/point.h"

#include <gtest/gtest.h>

#include "hex.h"
#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::ToHex;

std::string Element(const char* type, double value, uint8_t q = 0, bool transient = false) {
    Point p;
    p.type = FindType(std::string_view(type));
    p.value = value;
    p.quality = q;
    p.transient = transient;
    std::vector<uint8_t> out;
    AppendElement(p, out);
    return ToHex(out);
}

TEST(PointElement, EveryKind) {
    EXPECT_EQ(Element("M_SP_NA", 1), "01");
    EXPECT_EQ(Element("M_SP_NA", 0, quality::kInvalid | quality::kNotTopical | quality::kOverflow), "C0");
    EXPECT_EQ(Element("M_DP_NA", 2, quality::kBlocked), "12");
    EXPECT_EQ(Element("M_ST_NA", -1, quality::kSubstituted, true), "FF 20");
    EXPECT_EQ(Element("M_ST_NA", 63), "3F 00");
    EXPECT_EQ(Element("M_BO_NA", 0xA5A5F00F, quality::kOverflow), "0F F0 A5 A5 01");
    EXPECT_EQ(Element("M_ME_NA", 0.5), "00 40 00");
    EXPECT_EQ(Element("M_ME_NA", -1), "00 80 00");
    EXPECT_EQ(Element("M_ME_NA", 1), "FF 7F 00");  // the largest normalized value is 1 - 2^-15
    EXPECT_EQ(Element("M_ME_ND", -0.5), "00 C0");
    EXPECT_EQ(Element("M_ME_NB", -2, quality::kInvalid), "FE FF 80");
    EXPECT_EQ(Element("M_ME_NB", 40000), "FF 7F 00");  // clamped, never wrapped
    EXPECT_EQ(Element("M_ME_NC", 12.5), "00 00 48 41 00");
    EXPECT_EQ(Element("M_IT_NA", -1, quality::kInvalid | quality::kOverflow), "FF FF FF FF A0");
    EXPECT_EQ(Element("M_IT_NA", 1e12), "FF FF FF 7F 00");
}

TEST(PointTimeTag, Cp24AndCp56) {
    std::vector<uint8_t> out;
    AppendTimeTag(test::FixedTime(), 3, out);
    EXPECT_EQ(ToHex(out), "F8 76 14");
    out.clear();
    AppendTimeTag(test::FixedTime(), 7, out);
    EXPECT_EQ(ToHex(out), "F8 76 14 0A AF 03 18");
    out.clear();
    // Sunday is day 7 of CP56Time2a.
    AppendTimeTag(DateTime::Compose({2024, 3, 17, 23, 59, 59, 999}), 7, out);
    EXPECT_EQ(ToHex(out), "5F EA 3B 17 F1 03 18");
}

TEST(PointValue, Limits) {
    EXPECT_TRUE(ValueFits(PointKind::Double, 3));
    EXPECT_FALSE(ValueFits(PointKind::Double, 4));
    EXPECT_FALSE(ValueFits(PointKind::Step, 64));
    EXPECT_FALSE(ValueFits(PointKind::Scaled, 1.5));
    EXPECT_FALSE(ValueFits(PointKind::Normalized, 1.01));
    EXPECT_TRUE(ValueFits(PointKind::Bitstring, 4294967295.0));
    EXPECT_FALSE(ValueFits(PointKind::Bitstring, -1));
    EXPECT_FALSE(ValueFits(PointKind::Float, 1e39));
}

TEST(TypeTable, NamesCodesAndUntimedTypes) {
    for (const TypeInfo& t : AllTypes()) {
        EXPECT_EQ(FindType(t.code), &t);
        EXPECT_EQ(FindType(t.name), &t);
        const TypeInfo* untimed = FindType(t.untimed_code);
        ASSERT_NE(untimed, nullptr);
        EXPECT_EQ(untimed->time_octets, 0);
        EXPECT_EQ(untimed->kind, t.kind);
        EXPECT_EQ(untimed->element_octets, t.element_octets);
    }
    EXPECT_EQ(FindType(uint8_t{30})->name, "M_SP_TB");
    EXPECT_EQ(FindType(uint8_t{22}), nullptr);
    EXPECT_EQ(CommandName(45), "C_SC_NA");
    EXPECT_EQ(CommandName(200), "");
}

}  // namespace
}  // namespace iec::sim
