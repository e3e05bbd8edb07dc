// Names and times the bridge hands to the OPC UA server library.
#include <gtest/gtest.h>

#include "opcua/bridge_names.h"

namespace iec {
namespace {

TEST(TranslitName, CyrillicDigitsAndPunctuation) {
    EXPECT_EQ(Translit_Name("ПС 110 кВ Северная", false), "PS_110_kV_Severnaa");
    EXPECT_EQ(Translit_Name("1-я секция.Ток", false), "n_a_sekcia_Tok");
    EXPECT_EQ(Translit_Name("1-я секция.Ток", true), "n_a_sekcia.Tok");
    EXPECT_EQ(Translit_Name("ЁЖЩЮЯ ёжщюя", false), "EGSUA_egsua");
    EXPECT_EQ(Translit_Name("lifebit", false), "lifebit");
    EXPECT_EQ(Translit_Name("a!@#$%^&*()-=+\\|/,<>?:;'\"`b", false), "a" + std::string(25, '_') + "b");
    EXPECT_EQ(Translit_Name("", false), "");
    EXPECT_EQ(Translit_Name("№5", false), "№5");  // other characters stay
}

TEST(UaTime, SecondsSinceTheEpochInHundredNanoseconds) {
    const DateTime now = DateTime::Compose({2026, 3, 5, 12});
    EXPECT_EQ(UA_Time(DateTime::Compose({1970, 1, 1, 0, 0, 1, 500}), now, 0), 116444736015000000LL);
    // Local 03:00 with the bias of UTC+3 is 00:00 UTC.
    EXPECT_EQ(UA_Time(DateTime::Compose({1970, 1, 1, 3, 0, 0, 0}), now, -180), 116444736000000000LL);
    EXPECT_EQ(UA_Time(DateTime::Compose({1970, 1, 1, 3, 0, 0, 250}), now, -180), 116444736002500000LL);
    // Before 1970 the whole seconds count back from the epoch.
    EXPECT_EQ(UA_Time(DateTime::Compose({1969, 12, 31, 23, 59, 58, 0}), now, 0), 116444736000000000LL - 20000000);
    // A time before 1900-01-02 (never stamped) stands for now.
    EXPECT_EQ(UA_Time(DateTime(), now, 0), UA_Time(now, now, 0));
    EXPECT_EQ(UA_Time(DateTime(2.9), now, 0), UA_Time(now, now, 0));
    // The milliseconds of the local time are kept.
    EXPECT_EQ(UA_Time(DateTime::Compose({2026, 3, 5, 12, 0, 0, 7}), now, 0) % 10000000, 70000);
}

TEST(LowBytes, OneOctetPerCharacter) {
    LowBytes b = ToLowBytes("U_ab°");
    EXPECT_EQ(b.bytes, "U_ab\xB0");
    EXPECT_EQ(b.characters, 5);
    EXPECT_TRUE(b.latin1);
    // A character above U+00FF has no octet of its own: never its low byte (a control character here).
    b = ToLowBytes("№5 Щ");
    EXPECT_EQ(b.bytes, "_5 _");
    EXPECT_EQ(b.characters, 4);
    EXPECT_FALSE(b.latin1);
    // Bytes that are not UTF-8 stand for themselves; a cut sequence at the end too.
    b = ToLowBytes("a\xFF\xC3");
    EXPECT_EQ(b.bytes, "a\xFF\xC3");
    EXPECT_EQ(b.characters, 3);
    EXPECT_EQ(ToLowBytes("").characters, 0);
}

}  // namespace
}  // namespace iec
