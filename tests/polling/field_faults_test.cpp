// The answers real stations give that a master must handle: NACK, ACD held set, DFC, the test bit, time tags
// marked invalid, packed points with their quality, counters with sequence numbers, a common address other than
// the link address, and the end of initialisation. Each against the simulator's protocol core.
#include <gtest/gtest.h>

#include "polling_harness.h"

namespace iec::test {
namespace {

const char* kStation =
    "station 5\n"
    "point M_SP_NA:1=off\n"
    "point M_DP_NA:2=off\n"
    "point M_SP_TB:3=off\n"
    "point M_ME_NB:100=1234\n"
    "point C_DC_NA:16386>2\n";

// A harness with the station's link up and its first interrogation answered.
struct Started {
    explicit Started(const std::string& sim = kStation, StationRow row = {}) : h(sim, {row}) {
        h.AddSignal(5, 5, 1, true, "Q1");
        h.AddSignal(5, 5, 2, true, "Q2");
        h.AddSignal(5, 5, 3, true, "Q3");
        h.AddSignal(5, 5, 100, false, "P");
        h.Begin();
        h.clock.AdvanceMs(20);
        h.Turn();
        h.Turn();
    }
    // Command lines of the simulator that mention the text.
    int Commands(const std::string& text) const {
        int n = 0;
        for (const auto& c : h.line->commands) n += c.find(text) != std::string::npos;
        return n;
    }
    sim::Faults& Faults() { return h.line->line.FaultsAt(0); }
    PollingHarness h;
};

TEST(FieldFaults, UserDataRefusedWithNackIsRepeatedNotTakenAsDone) {
    Started s;
    ASSERT_EQ(s.Commands("C_IC_NA"), 1);
    s.Faults().nack = 2;
    s.h.clock.AdvanceMs(6 * 60000);  // the next interrogation is due
    s.h.Turn();
    s.h.Turn();
    EXPECT_EQ(s.h.line->line.Refused(0), 2u);
    EXPECT_EQ(s.h.thread.Link(1)->counters.nacks, 2u);
    EXPECT_EQ(s.Commands("C_IC_NA"), 2) << "the third sending got through";
}

TEST(FieldFaults, UserDataStillRefusedAfterItsRetriesIsGivenUpNotSentOnForEver) {
    Started s;
    s.Faults().nack = -1;
    s.h.clock.AdvanceMs(6 * 60000);
    for (int k = 0; k < 3; ++k) s.h.Turn();
    const uint64_t refused = s.h.line->line.Refused(0);
    EXPECT_EQ(s.h.thread.Link(1)->counters.userDataDropped, 1u);
    EXPECT_LE(refused, 1u + 3u);  // the frame and the station's three retries
    s.h.Turn();
    EXPECT_EQ(s.h.line->line.Refused(0), refused);
    EXPECT_FALSE(s.h.thread.Alarms(1)) << "a busy station is there";
}

TEST(FieldFaults, CommandsAndInterrogationsGoOutWhileTheStationKeepsAcdSet) {
    Started s;
    s.Faults().acd_held = true;
    s.h.Turn();
    ASSERT_TRUE(s.h.thread.Link(1)->acd);
    ASSERT_TRUE(s.h.thread.ArmTU(1, 5, 16386, 3, true));
    s.h.Turn();
    EXPECT_EQ(s.Commands("C_DC_NA"), 1);
    EXPECT_EQ(s.h.Signal(5, 5, 2)->GetArmValue().value, 1);
    s.h.clock.AdvanceMs(6 * 60000);
    s.h.Turn();
    EXPECT_EQ(s.Commands("C_IC_NA"), 2);
}

TEST(FieldFaults, UserDataWaitsWhileTheStationSetsDfc) {
    Started s;
    s.Faults().dfc = -1;
    s.h.Turn();  // the answers now carry DFC
    ASSERT_TRUE(s.h.thread.Link(1)->dfc);
    ASSERT_TRUE(s.h.thread.ArmTU(1, 5, 16386, 3, true));
    s.h.Turn();
    EXPECT_EQ(s.h.line->line.Refused(0), 0u) << "nothing was sent that the station had no room for";
    EXPECT_GT(s.h.thread.Link(1)->counters.heldByDfc, 0u);
    EXPECT_EQ(s.Commands("C_DC_NA"), 0);
    s.Faults().dfc = 0;
    s.h.Turn();
    EXPECT_FALSE(s.h.thread.Link(1)->dfc);
    EXPECT_EQ(s.Commands("C_DC_NA"), 1) << "sent once DFC cleared";
}

TEST(FieldFaults, AsduWithTheTestBitChangesNoValue) {
    Started s;
    s.Faults().test_bit = true;
    ASSERT_TRUE(s.h.line->line.StationAt(0).SetPoint(1, 1, 0, {s.h.clock.MonotonicMs(), s.h.clock.Now()}));
    s.h.Turn();
    EXPECT_EQ(s.h.Signal(5, 5, 1)->GetArmValue().value, 0);
    EXPECT_GE(s.h.thread.DecodeCounters().testAsdu, 1u);
    s.Faults().test_bit = false;
    ASSERT_TRUE(s.h.line->line.StationAt(0).SetPoint(1, 1, 0, {s.h.clock.MonotonicMs(), s.h.clock.Now()}));
    s.h.Turn();
    EXPECT_EQ(s.h.Signal(5, 5, 1)->GetArmValue().value, 1);
}

TEST(FieldFaults, InvalidTimeTagsAreReplacedByTheReceptionTime) {
    Started s;
    const sim::SimTime changed{s.h.clock.MonotonicMs(), s.h.clock.Now() - DateTime::kOneHour};
    for (const auto fault : {sim::TimeTagFault::Invalid, sim::TimeTagFault::NoDate}) {
        s.h.line->line.StationAt(0).SetTimeTagFault(fault);
        const double value = fault == sim::TimeTagFault::Invalid ? 1 : 0;
        ASSERT_TRUE(s.h.line->line.StationAt(0).SetPoint(3, value, 0, changed));
        s.h.clock.AdvanceMs(1000);
        s.h.Turn();
        const ArmValue v = s.h.Signal(5, 5, 3)->GetArmValue();
        EXPECT_EQ(v.value, value);
        EXPECT_EQ(v.time, s.h.clock.Now()) << "not the station's hour-old time, nor the previous event's";
    }
    EXPECT_EQ(s.h.thread.DecodeCounters().badElementTime, 2u);
}

TEST(FieldFaults, PackedSinglePointsAndBitStringsKeepTheirQuality) {
    const std::string sim =
        "station 5\n"
        "point M_PS_NA:10=0x0005,iv\n"
        "point M_BO_NA:50=0x80000000,nt\n";
    PollingHarness h(sim, {StationRow{}});
    for (int b = 0; b < 3; ++b) h.AddSignal(5, 5, 10 + b, true, "P" + std::to_string(b));
    h.AddSignal(5, 5, 50 + 31, true, "B31");
    h.Begin();
    h.clock.AdvanceMs(20);
    h.Turn();
    h.Turn();
    EXPECT_EQ(h.Signal(5, 5, 10)->GetArmValue().value, 1);
    EXPECT_EQ(h.Signal(5, 5, 11)->GetArmValue().value, 0);
    EXPECT_EQ(h.Signal(5, 5, 12)->GetArmValue().value, 1);
    EXPECT_EQ(h.Signal(5, 5, 10)->GetArmValue().quality, 0x80);
    EXPECT_EQ(h.Signal(5, 5, 11)->GetArmValue().quality, 0x80) << "the quality of the element holds for each bit";
    EXPECT_EQ(h.Signal(5, 5, 81)->GetArmValue().value, 1);
    EXPECT_EQ(h.Signal(5, 5, 81)->GetArmValue().quality, 0x40);
}

TEST(FieldFaults, IntegratedTotalsStayGoodWhateverTheirSequenceNumber) {
    StationRow row;
    row.ci_minutes = 1;
    PollingHarness h("station 5\npoint M_IT_NA:300=123456\n", {row});
    h.AddSignal(5, 5, 300, false, "W");
    h.Begin();
    h.clock.AdvanceMs(20);
    h.Turn();
    h.Turn();
    // Each counter interrogation raises the station's sequence number: 1..20 covers 16..31 as well.
    for (int k = 0; k < 20; ++k) {
        h.clock.AdvanceMs(61000);
        h.Turn();
        const ArmValue v = h.Signal(5, 5, 300)->GetArmValue();
        ASSERT_EQ(v.value, 123456) << k;
        EXPECT_EQ(v.quality, 0) << "after counter interrogation " << k + 1;
    }
    EXPECT_EQ(h.LogCount(" Опрос счетчиков "), 20);
}

TEST(FieldFaults, AStationWithItsOwnCommonAddressIsInterrogatedAndDecoded) {
    // Link address 5, common address 7, as many stations are set up.
    PollingHarness h("station 5:7\npoint M_SP_NA:1=on\npoint M_ME_NB:100=77\n", {StationRow{}});
    h.AddSignal(5, 7, 1, true, "Q1");
    h.AddSignal(5, 7, 100, false, "P");
    h.thread.dev_Thread[1].CommonAddress = 7;  // as the polling start finds it in the station's signal lines
    h.Begin();
    h.clock.AdvanceMs(20);
    h.Turn();
    h.Turn();
    EXPECT_EQ(h.line->writes.at(2), "68 09 09 68 73 05 64 01 06 07 00 00 14 FE 16");
    EXPECT_EQ(h.Signal(5, 7, 1)->GetArmValue().value, 1);
    EXPECT_DOUBLE_EQ(h.Signal(5, 7, 100)->GetArmValue().real, 77.0);
    bool refused = false;
    for (const auto& c : h.line->commands) refused = refused || c.find("negative") != std::string::npos;
    EXPECT_FALSE(refused);
}

TEST(FieldFaults, ReadCommandsAreRequestsWithCauseFive) {
    StationRow row;
    row.read_minutes = 1;
    row.polls = 30;
    Started s(kStation, row);
    s.h.clock.AdvanceMs(17000);
    s.h.Turn();
    ASSERT_GE(s.Commands("C_RD_NA"), 1);
    EXPECT_EQ(s.Commands("C_RD_NA cause=5"), s.Commands("C_RD_NA"));
}

TEST(FieldFaults, EndOfInitialisationBringsAnInterrogationAtOnce) {
    Started s;
    ASSERT_EQ(s.h.LogCount(" Опрос КП "), 1);
    for (int k = 0; k < 2; ++k) s.h.Turn();  // the interrogation ends
    // The station restarted by itself: M_EI_NA, cause 4.
    const auto ei = Hex("68 09 09 68 08 05 46 01 04 05 00 00 00 5D 16");
    s.h.line->InjectReply(std::string(ei.begin(), ei.end()));
    s.h.Turn();
    EXPECT_EQ(s.h.thread.DecodeCounters().endOfInit, 1u);
    EXPECT_EQ(s.h.LogCount(" Опрос КП "), 2);
}

TEST(FieldFaults, EndOfInitialisationDuringTheFirstInterrogationAddsNoSecond) {
    Started s(std::string(kStation) + "end-of-init\n");
    for (int k = 0; k < 2; ++k) s.h.Turn();
    EXPECT_EQ(s.h.thread.DecodeCounters().endOfInit, 1u);
    EXPECT_EQ(s.h.LogCount(" Опрос КП "), 1);
}

}  // namespace
}  // namespace iec::test
