// Several stations on one line: each polled in turn, each keeping its own values, and an answer carrying another
// station's link address never lands in the signals of the station being polled.
#include <gtest/gtest.h>

#include "polling_harness.h"

namespace iec::test {
namespace {

const char* kThreeStations =
    "station 1\npoint M_SP_NA:1=on\npoint M_ME_NB:100=111\n"
    "station 2\npoint M_SP_NA:1=off\npoint M_ME_NB:100=222\n"
    "station 3\npoint M_SP_NA:1=on\npoint M_ME_NB:100=333\n";

StationRow Row(int link) {
    StationRow r;
    r.link_address = link;
    return r;
}

class SharedLine : public ::testing::Test {
protected:
    SharedLine() : h(kThreeStations, {Row(1), Row(2), Row(3)}) {
        for (int s = 1; s <= 3; ++s) {
            h.AddSignal(s, s, 1, true, "TS" + std::to_string(s));
            h.AddSignal(s, s, 100, false, "TI" + std::to_string(s));
        }
        h.Begin();
        h.clock.AdvanceMs(20);
    }
    PollingHarness h;
};

TEST_F(SharedLine, EveryStationGetsItsOwnValues) {
    for (int cycle = 0; cycle < 3; ++cycle) h.thread.PollCycle();
    for (int s = 1; s <= 3; ++s) {
        EXPECT_FALSE(h.thread.Alarms(s)) << s;
        EXPECT_EQ(h.Signal(s, s, 1)->GetArmValue().value, s == 2 ? 0 : 1) << s;
        EXPECT_DOUBLE_EQ(h.Signal(s, s, 100)->GetArmValue().real, 111.0 * s) << s;
    }
}

TEST_F(SharedLine, LateAnswerOfAnotherStationIsNotDecodedIntoThePolledOne) {
    for (int cycle = 0; cycle < 3; ++cycle) h.thread.PollCycle();
    ASSERT_EQ(h.Signal(2, 2, 1)->GetArmValue().value, 0);
    // Station 1's spontaneous "on" for object 1 (common address 2 on purpose) arrives while station 2 is polled.
    const auto frame = Hex("68 09 09 68 08 01 01 01 03 02 01 00 01 12 16");
    h.line->InjectReply(std::string(frame.begin(), frame.end()));
    const uint64_t foreign_before = h.thread.Link(2)->counters.foreignAddress;
    h.Turn(2);
    EXPECT_EQ(h.Signal(2, 2, 1)->GetArmValue().value, 0);
    EXPECT_EQ(h.thread.Link(2)->counters.foreignAddress, foreign_before + 1);
    // Another station's frame is no answer of the polled one: its exchange counts as unanswered.
    EXPECT_TRUE(h.thread.Alarms(2));
    h.Turn(2);
    EXPECT_FALSE(h.thread.Alarms(2));
}

TEST_F(SharedLine, OneSilentStationDoesNotStopTheOthers) {
    h.line->line.FindFaults(2)->silent = true;
    for (int cycle = 0; cycle < 4; ++cycle) h.thread.PollCycle();
    EXPECT_FALSE(h.thread.Alarms(1));
    EXPECT_TRUE(h.thread.Alarms(2));
    EXPECT_FALSE(h.thread.Alarms(3));
    EXPECT_DOUBLE_EQ(h.Signal(3, 3, 100)->GetArmValue().real, 333.0);
}

}  // namespace
}  // namespace iec::test
