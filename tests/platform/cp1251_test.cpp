#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

TEST(Cp1251, CyrillicBothWays) {
    const std::string utf8 = "ПС Ёлка №5 «ввод» – ё";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp, "\xCF\xD1 \xA8\xEB\xEA\xE0 \xB9" "5 \xAB\xE2\xE2\xEE\xE4\xBB \x96 \xB8");
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
}

TEST(Cp1251, EveryOctetSurvivesARoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(Cp1251, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
    EXPECT_EQ(Utf8ToCp1251("a\xC3"), "a?");               // cut sequence
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");            // overlong form
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");       // surrogate
}

TEST(Cp1251, FileTextDetectsAByteOrderMark) {
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF\xD0\x9F"), "\xD0\x9F");  // UTF-8 with a mark
    EXPECT_EQ(DecodeFileText("\xCF"), "\xD0\x9F");                  // Windows-1251
    // A mark followed by invalid UTF-8 is Windows-1251 after all.
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF\xCF"), Cp1251ToUtf8("\xEF\xBB\xBF\xCF"));
}

}  // namespace
}  // namespace iec
