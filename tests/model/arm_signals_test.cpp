#include "model/arm_signals.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

TEST(TArmRec, NewRecordFlagsAndCommand) {
    TArmRec r(1003, stTS, kFlagsTS, "Выключатель");
    EXPECT_TRUE(r.fl.Operation(FYes, bfl_TxtAbsent));
    EXPECT_TRUE(r.fl.Operation(FYes, bfl_KpAbsent));
    EXPECT_TRUE(r.fl.Operation(FYes, bfl_CifAbsent));
    EXPECT_TRUE(r.fl.Operation(FYes, bfl_PrDisp));
    EXPECT_EQ(r.FKpID, 1);
    EXPECT_FALSE(r.GetprTU());
    r.SetParam(1, "", 5, std::nullopt, 2001, 0, 1, 1);
    EXPECT_FALSE(r.GetprTU());  // both command addresses are needed
    r.SetParam(1, "", 5, std::nullopt, 2001, 1, 1, 1);
    EXPECT_TRUE(r.GetprTU());
    EXPECT_EQ(r.FKPAddr, 5);
}

TEST(TArmRec, Scaling) {
    TArmRec r(1001, stTIT, kFlagsTIT, "U");
    EXPECT_EQ(r.RawToEng(123.0), 123.0);  // no range
    r.SetParam(1, "", 1, TTitBound(0, 0, 0, 0, 126, 0, 32767, 0), 0, 0, 101, 1);
    EXPECT_DOUBLE_EQ(r.RawToEng(32767), 126.0);
    EXPECT_DOUBLE_EQ(r.RawToEng(0), 0.0);
    r.SetParam(1, "", 1, TTitBound(0, 0, 0, 0, 55, 45, 32767, -32768), 0, 0, 101, 1);
    EXPECT_DOUBLE_EQ(r.RawToEng(-32768), 45.0);
    EXPECT_NEAR(r.RawToEng(0), 50.0, 1e-3);
    r.SetParam(1, "", 1, TTitBound(0, 0, 0, 0, 10, 0, 0, 0), 0, 0, 101, 1);
    EXPECT_EQ(r.RawToEng(77), 77.0);  // empty raw range: unscaled
    r.SetParam(1, "", 1, TTitBound(0, 0, 0, 0, 10, 0, -5, 5), 0, 0, 101, 1);
    EXPECT_EQ(r.RawToEng(77), 77.0);  // reversed raw range: unscaled
    const TTitBound b(8, 7, 6, 5, 4, 3, 2, 1);
    EXPECT_EQ(b.AvarMax, 8);
    EXPECT_EQ(b.AvarMin, 7);
    EXPECT_EQ(b.PredMax, 6);
    EXPECT_EQ(b.PredMin, 5);
    EXPECT_EQ(b.EngMax, 4);
    EXPECT_EQ(b.EngMin, 3);
    EXPECT_EQ(b.RawMax, 2);
    EXPECT_EQ(b.RawMin, 1);
}

TEST(TArmSignals, FullListRefusesInsteadOfEndingTheProgram) {
    TArmSignals list;
    for (int i = 0; i < TArmSignals::kCapacity; ++i) ASSERT_NE(list.AddRec(1001, stTS, kFlagsTS, "s"), nullptr);
    EXPECT_EQ(list.AddRec(1001, stTS, kFlagsTS, "one too many"), nullptr);
    EXPECT_EQ(list.FCount(), TArmSignals::kCapacity);
    EXPECT_NE(list.GetRec(0), nullptr);
    EXPECT_EQ(list.GetRec(-1), nullptr);
    EXPECT_EQ(list.GetRec(TArmSignals::kCapacity), nullptr);
    list.Clear();
    EXPECT_EQ(list.FCount(), 0);
    EXPECT_EQ(list.GetRec(0), nullptr);
}

}  // namespace
}  // namespace iec
