#include "platform/number_text.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

TEST(NumberText, IntegersAreStrict) {
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt("  -7"), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    EXPECT_EQ(ParseInt("$1F"), 31);
    EXPECT_EQ(ParseInt("0x1f"), 31);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "1a", "1 ", "2147483648", "99999999999999999999", "-", "$", "0x", "1.0"}) {
        EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
    }
}

TEST(NumberText, RealsWithEitherSeparator) {
    EXPECT_EQ(ParseReal("1.5"), 1.5);
    EXPECT_EQ(ParseReal(" -2.25e2 "), -225.0);
    EXPECT_EQ(ParseReal("1,5", ','), 1.5);
    EXPECT_EQ(ParseReal("7"), 7.0);
    for (const char* bad : {"", "1.5.2", "1,5", "inf", "nan", "1e", "e5", "0x10", "1e999"}) {
        EXPECT_FALSE(ParseReal(bad).has_value()) << bad;
    }
}

TEST(NumberText, GeneralFormatOfFifteenDigits) {
    EXPECT_EQ(FormatReal(0), "0");
    EXPECT_EQ(FormatReal(126), "126");
    EXPECT_EQ(FormatReal(-10.5), "-10.5");
    EXPECT_EQ(FormatReal(0.1), "0.1");
    EXPECT_EQ(FormatReal(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatReal(0.00001), "0.00001");
    EXPECT_EQ(FormatReal(0.000001), "1E-6");
    EXPECT_EQ(FormatReal(-0.0000015), "-1.5E-6");
    EXPECT_EQ(FormatReal(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatReal(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FormatReal(1e20), "1E20");
    EXPECT_EQ(FormatReal(65535.9999999999999), "65536");
}

}  // namespace
}  // namespace iec
