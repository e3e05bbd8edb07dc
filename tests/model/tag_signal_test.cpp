#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/tag_signal.h"

namespace iec {
namespace {

// Rows as the type table holds them; the model does not link the table itself.
const TTypeIdent kSpNa{1, 1, 0, TS1, QTS1, M_SP_NA, "(M_SP_NA)"};
const TTypeIdent kSpTb{30, 1, 7, TS1, QTS1, M_SP_TB, "(M_SP_TB)"};
const TTypeIdent kDpNa{3, 1, 0, TS2, QTS2, M_DP_NA, "(M_DP_NA)"};
const TTypeIdent kStNa{5, 2, 0, BS8, Q1, M_ST_NA, "(M_ST_NA)"};
const TTypeIdent kBoNa{7, 5, 0, TS32, Q1COM, M_BO_NA, "(M_BO_NA)"};
const TTypeIdent kMeNa{9, 3, 0, I16, Q8I, M_ME_NA, "(M_ME_NA)"};
const TTypeIdent kMeNb{11, 3, 0, F16, Q8F, M_ME_NB, "(M_ME_NB)"};
const TTypeIdent kMeNc{13, 5, 0, F4, Q8R, M_ME_NC, "(M_ME_NC)"};
const TTypeIdent kMeNd{21, 2, 0, I16, Q0, M_ME_ND, "(M_ME_ND)"};
const TTypeIdent kItNa{15, 5, 0, I32, Q8TII, M_IT_NA, "(M_IT_NA)"};
const TTypeIdent kPsNa{20, 5, 0, TS16IZM, Q1COM, M_PS_NA, "(M_PS_NA)"};
const TTypeIdent kBoTc{136, 1, 7, TS8, Q0, M_BO_TC, "(M_BO_TC)"};
const TTypeIdent kEpTa{17, 3, 3, RZ3, Q0, M_EP_TA, "(M_EP_TA) Информация о работе релейной защиты"};

using Bytes = std::vector<uint8_t>;

ArmValue Read(TTagSignal& s) { return s.GetArmValue(); }

TEST(TagSignal, NewSignalIsBadWithoutTime) {
    TTagSignal s;
    int v = 7;
    uint8_t q = 0;
    DateTime t(123.0);
    double r = 7;
    EXPECT_FALSE(s.GetArmValue(v, q, t, r));
    EXPECT_EQ(v, 0);
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(q, 255);
    EXPECT_EQ(t.days(), 123.0);  // the caller's time is left alone
    EXPECT_TRUE(s.prNew);
}

TEST(TagSignal, SinglePointValueQualityAndTime) {
    TTagSignal s;
    const Bytes data{0x00, 0x81, 0x41};
    s.ChangeTS(kSpTb, data, 1, DateTime(45000.25), 0, 0);
    ArmValue a = Read(s);
    EXPECT_EQ(a.value, 1);
    EXPECT_EQ(a.quality, 0x80);
    EXPECT_TRUE(a.hasTime);
    EXPECT_EQ(a.time.days(), 45000.25);
    // A later element without time keeps the time of the last element that carried one.
    s.ChangeTS(kSpNa, data, 0, DateTime(), 0, 0);
    a = Read(s);
    EXPECT_EQ(a.value, 0);
    EXPECT_EQ(a.quality, 0);
    EXPECT_EQ(a.time.days(), 45000.25);
    EXPECT_EQ(s.Value().ptid, &kSpNa);
}

TEST(TagSignal, DoublePointStates) {
    struct Case { uint8_t diq; int value; uint8_t first, second; };
    const Case cases[] = {{0x02, 1, 0, 0}, {0x01, 0, 0, 0}, {0x00, 0, 0, 64}, {0x03, 0, 0, 128}, {0x32, 1, 0x30, 0x30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.diq);
        TTagSignal s;
        const Bytes data{c.diq};
        s.ChangeTS(kDpNa, data, 0, DateTime(), 0, 0);
        const ArmValue a = Read(s);
        EXPECT_EQ(a.value, c.value);
        EXPECT_EQ(a.quality, c.first);
        EXPECT_EQ(Read(s).quality, c.second);  // NT or IV from the second read on
    }
}

TEST(TagSignal, ScaledValueDecimalScaleFromQds) {
    TTagSignal s;
    s.ChangeVal(kMeNb, Bytes{0x38, 0xFF, 0x04}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, -2.0);
    s.ChangeVal(kMeNb, Bytes{0x38, 0xFF, 0x00}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, -200.0);
    s.ChangeVal(kMeNb, Bytes{0x38, 0xFF, 0x02}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, -20.0);
    s.ChangeVal(kMeNb, Bytes{0x38, 0xFF, 0x86}, 0, DateTime());
    const ArmValue a = Read(s);
    EXPECT_DOUBLE_EQ(a.real, -0.2);
    EXPECT_EQ(a.quality, 0x86);
}

TEST(TagSignal, NormalizedIsTheRawNumber) {
    TTagSignal s;
    s.ChangeVal(kMeNa, Bytes{0xFF, 0x7F, 0x00}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, 32767.0);
    s.ChangeVal(kMeNa, Bytes{0x00, 0x80, 0x00}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, -32768.0);
    // Without quality descriptor the quality is good.
    s.ChangeVal(kMeNd, Bytes{0x10, 0x00}, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(s).real, 16.0);
    EXPECT_EQ(Read(s).quality, 0);
}

TEST(TagSignal, StepPositionsAreSevenBitTwosComplement) {
    // Bit 7 (transient) is not part of the value.
    const std::pair<uint8_t, int> cases[] = {{0x7F, -1}, {0x40, -64}, {0x3F, 63}, {0xBF, 63}, {0xFF, -1}, {0x80, 0}};
    for (auto [vti, expected] : cases) {
        TTagSignal s;
        s.ChangeVal(kStNa, Bytes{vti, 0x10}, 0, DateTime());
        const ArmValue a = Read(s);
        EXPECT_EQ(a.value, expected) << int(vti);
        EXPECT_DOUBLE_EQ(a.real, expected);
        EXPECT_EQ(a.quality, 0x10);
    }
}

TEST(TagSignal, IntegratedTotalsAndFloats) {
    TTagSignal s;
    s.ChangeVal(kItNa, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x05}, 0, DateTime());
    EXPECT_EQ(Read(s).value, -1);
    EXPECT_DOUBLE_EQ(Read(s).real, -1.0);
    // The sequence number (bits 0..4) is no quality; carry and adjusted leave the count good, IV does not.
    EXPECT_EQ(Read(s).quality, 0);
    s.ChangeVal(kItNa, Bytes{0x10, 0, 0, 0, 0x7F}, 0, DateTime());  // CY, CA, sequence 31
    EXPECT_EQ(Read(s).quality, 0);
    EXPECT_EQ(s.Value().Quality, 0x60);  // kept with the signal
    s.ChangeVal(kItNa, Bytes{0x10, 0, 0, 0, 0x93}, 0, DateTime());  // IV, sequence 19
    EXPECT_EQ(Read(s).quality, 0x80);
    EXPECT_EQ(Read(s).value, 16);

    TTagSignal f;
    const float x = 230.5f;
    Bytes data(5);
    std::memcpy(data.data(), &x, 4);
    data[4] = 0x80;
    f.ChangeVal(kMeNc, data, 0, DateTime());
    EXPECT_DOUBLE_EQ(Read(f).real, 230.5);
    EXPECT_EQ(Read(f).quality, 0x80);
}

TEST(TagSignal, BitStringsArePublishedAsSinglePoints) {
    TTagSignal s;
    const Bytes bo{0x00, 0x00, 0x04, 0x00, 0x80};  // bit 18 set; QDS 0x80 is not applied to bits
    s.ChangeTS(kBoNa, bo, 0, DateTime(), 18, 0);
    EXPECT_EQ(Read(s).value, 1);
    EXPECT_EQ(Read(s).quality, 0);
    s.ChangeTS(kBoNa, bo, 0, DateTime(), 17, 0);
    EXPECT_EQ(Read(s).value, 0);

    TTagSignal p;
    p.ChangeTS(kPsNa, Bytes{0x00, 0x80, 0xFF, 0xFF, 0x00}, 0, DateTime(), 15, 0);
    EXPECT_EQ(Read(p).value, 1);

    TTagSignal c;
    c.ChangeTS(kBoTc, Bytes{0x20}, 0, DateTime(45000.5), 5, 0);
    const ArmValue a = Read(c);
    EXPECT_EQ(a.value, 1);
    EXPECT_EQ(a.quality, 0);
    EXPECT_EQ(a.time.days(), 45000.5);
}

TEST(TagSignal, OutOfBoundsElementsChangeNothing) {
    TTagSignal s;
    const Bytes short2{0x01, 0x02};
    EXPECT_FALSE(s.ChangeVal(kMeNc, short2, 0, DateTime()).empty());
    EXPECT_FALSE(s.ChangeVal(kMeNa, short2, 1, DateTime()).empty());
    EXPECT_FALSE(s.ChangeVal(kMeNa, short2, 99, DateTime()).empty());
    s.ChangeTS(kSpNa, short2, 2, DateTime(), 0, 0);
    s.ChangeTS(kBoNa, short2, 0, DateTime(), 31, 0);
    s.ChangeTS(kBoNa, Bytes(5), 0, DateTime(), 32, 0);
    s.ChangeTS(kBoTc, Bytes(1), 0, DateTime(), -1, 0);
    EXPECT_EQ(Read(s).quality, 255);
    EXPECT_FALSE(Read(s).hasTime);
}

TEST(TagSignal, TypeWithoutUnpackingRuleIsReported) {
    TTagSignal s;
    const std::string err = s.ChangeVal(kEpTa, Bytes{1, 2, 3}, 0, DateTime());
    EXPECT_EQ(err, "ChangeVal(). Нет распаковки байта качества для кода:(M_EP_TA) Информация о работе релейной защиты");
    EXPECT_EQ(s.Value().pdc, nullptr);
}

}  // namespace
}  // namespace iec
