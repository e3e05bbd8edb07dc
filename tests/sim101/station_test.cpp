#include "sim101/station.h"

#include <gtest/gtest.h>

#include "sim101/frame.h"
#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::Drain;
using test::Hex;
using test::MakeStation;

class StationTest : public ::testing::Test {
protected:
    void Send(std::string_view asdu) { station.OnUserData(Hex(asdu), now); }

    SimTime now{0, test::FixedTime()};
    FieldWidths widths;
    ApplicationOptions options;
    Station station{MakeStation(5, 5, {"M_SP_NA:1=0", "M_DP_NA:2=off", "M_ME_NB:100=230", "M_IT_NA:300=1000",
                                       "M_SP_TB:200=1", "C_SC_NA:16385>1"}),
                    widths, options};
};

TEST_F(StationTest, GeneralInterrogation) {
    Send("64 01 06 05 00 00 14");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{
                                  "64 01 07 05 00 00 14",
                                  // Points of one type share an ASDU; the time-tagged single point is reported
                                  // as M_SP_NA, and counters are not part of an interrogation.
                                  "01 02 14 05 01 00 00 C8 00 01",
                                  "03 01 14 05 02 00 01",
                                  "0B 01 14 05 64 00 E6 00 00",
                                  "64 01 0A 05 00 00 14",
                              }));
    EXPECT_EQ(station.TakeLog(),
              std::vector<std::string>{"command link=5 ca=5 type=C_IC_NA cause=6 ioa=0 qoi=20 -> positive"});
}

TEST_F(StationTest, InterrogationWithTimeTagsWhenAsked) {
    ApplicationOptions o;
    o.interrogation_with_time = true;
    Station s(MakeStation(5, 5, {"M_SP_TB:200=1"}), widths, o);
    SimTime t{0, test::FixedTime()};
    s.SetPoint(200, 0, std::nullopt, t);
    Drain(s);
    s.OnUserData(Hex("64 01 06 05 00 00 14"), t);
    EXPECT_EQ(Drain(s)[1], "1E 01 14 05 C8 00 00 F8 76 14 0A AF 03 18");
}

TEST_F(StationTest, GroupInterrogationAndDeactivation) {
    Send("64 01 06 05 00 00 15");  // group 1: this station has no groups
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"64 01 07 05 00 00 15", "64 01 0A 05 00 00 15"}));
    Send("64 01 08 05 00 00 14");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"64 01 09 05 00 00 14"});
    Send("64 01 06 05 00 00 05");  // QOI 5 is no interrogation
    EXPECT_EQ(Drain(station), std::vector<std::string>{"64 01 47 05 00 00 05"});
}

TEST_F(StationTest, CounterInterrogation) {
    Send("65 01 06 05 00 00 05");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"65 01 07 05 00 00 05", "0F 01 25 05 2C 01 E8 03 00 00 00",
                                                        "65 01 0A 05 00 00 05"}));
    // The sequence number of the counter reading advances with each request.
    Send("65 01 06 05 00 00 05");
    EXPECT_EQ(Drain(station)[1], "0F 01 25 05 2C 01 E8 03 00 00 01");
}

TEST_F(StationTest, ReadAnswersWithTheConfiguredTypeAndItsTimeTag) {
    Send("66 01 06 05 64 00");  // our master sends a read with cause 6
    Send("66 01 05 05 C8 00");  // the standard's cause 5
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"0B 01 05 05 64 00 E6 00 00",
                                                        "1E 01 05 05 C8 00 01 00 00 00 00 DE 0C 63"}));
    // A point not yet changed carries the time it was loaded with: 0 here, Saturday 1899-12-30 00:00, whose
    // day of week (6) and year (99) show in the tag.
    station.SetPoint(200, 0, quality::kInvalid, now);
    Drain(station);
    Send("66 01 05 05 C8 00");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"1E 01 05 05 C8 00 80 F8 76 14 0A AF 03 18"});
}

TEST_F(StationTest, ReadOfAnUnknownObject) {
    Send("66 01 06 05 E7 03");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"66 01 6F 05 E7 03"});
    EXPECT_EQ(station.TakeLog(),
              std::vector<std::string>{"command link=5 ca=5 type=C_RD_NA cause=6 ioa=999 -> negative cause=47"});
}

TEST_F(StationTest, UnknownTypeCauseAndCommonAddress) {
    Send("30 01 06 05 01 00 00 00 00");
    Send("64 01 06 07 00 00 14");
    Send("64 01 03 05 00 00 14");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"30 01 6C 05 01 00 00 00 00", "64 01 6E 07 00 00 14",
                                                        "64 01 6D 05 00 00 14"}));
    EXPECT_EQ(station.Counters().negative, 3u);
}

TEST_F(StationTest, BroadcastCommonAddressIsAnsweredWithOurs) {
    Send("64 01 06 FF 00 00 14");
    const auto items = Drain(station);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items.front(), "64 01 07 05 00 00 14");
}

TEST_F(StationTest, MalformedUserDataIsCountedAndNotAnswered) {
    Send("64 01");
    Send("64 02 06 05 00 00 14 00 00 14");  // two objects in a command
    Send("64 01 06 05 00 00 14 00");        // an octet too many
    Send("2D 01 06 05 01 40");              // command without its octet
    EXPECT_TRUE(Drain(station).empty());
    EXPECT_EQ(station.Counters().malformed, 4u);
    EXPECT_EQ(station.TakeLog().size(), 4u);
}

TEST_F(StationTest, TheOldestItemIsDroppedWhenClass1IsFull) {
    ApplicationOptions o;
    o.class1_capacity = 2;
    Station s(MakeStation(5, 5, {"M_SP_NA:1=0"}), widths, o);
    EXPECT_TRUE(s.SetPoint(1, 1, std::nullopt, now));
    EXPECT_TRUE(s.SetPoint(1, 0, std::nullopt, now));
    EXPECT_FALSE(s.CanAcceptUserData());
    EXPECT_TRUE(s.SetPoint(1, 1, std::nullopt, now));
    EXPECT_EQ(Drain(s), (std::vector<std::string>{"01 01 03 05 01 00 00", "01 01 03 05 01 00 01"}));
    EXPECT_EQ(s.Counters().class1_overflow, 1u);
}

TEST_F(StationTest, SetPointRefusesWhatDoesNotFit) {
    EXPECT_FALSE(station.SetPoint(1, 2, std::nullopt, now));
    EXPECT_FALSE(station.SetPoint(999, 0, std::nullopt, now));
    EXPECT_TRUE(Drain(station).empty());
}

TEST_F(StationTest, EndOfInitialisationOnlyAfterTheFirstReset) {
    ApplicationOptions o;
    o.end_of_init = true;
    Station s(MakeStation(5, 5, {}), widths, o);
    s.OnResetRemoteLink(now);
    s.OnResetRemoteLink(now);
    EXPECT_EQ(Drain(s), std::vector<std::string>{"46 01 04 05 00 00 00"});
}

TEST_F(StationTest, ResetOfUserProcessEmptiesTheQueue) {
    Send("64 01 06 05 00 00 14");
    station.OnResetUserProcess(now);
    EXPECT_FALSE(station.HasClass1());
}

TEST(StationWidths, WideFieldsAndTheOriginatorAreMirrored) {
    FieldWidths w{2, 2, 2, 3};
    Station s(MakeStation(0x0102, 0x0304, {"M_SP_NA:70000=1"}), w, ApplicationOptions{});
    s.OnUserData(Hex("64 01 06 09 04 03 00 00 00 14"), SimTime{});
    EXPECT_EQ(Drain(s), (std::vector<std::string>{"64 01 07 09 04 03 00 00 00 14", "01 01 14 09 04 03 70 11 01 01",
                                                  "64 01 0A 09 04 03 00 00 00 14"}));
}

TEST(StationWidths, OneOctetObjectAddress) {
    FieldWidths w{1, 1, 1, 1};
    Station s(MakeStation(1, 1, {"M_ME_NC:7=12.5"}), w, ApplicationOptions{});
    s.OnUserData(Hex("66 01 05 01 07"), SimTime{});
    EXPECT_EQ(Drain(s), std::vector<std::string>{"0D 01 05 01 07 00 00 48 41 00"});
}

TEST(StationPacking, ManyPointsFillASDUsUpToTheFrameLimit) {
    Station s(MakeStation(1, 1, {"M_SP_NA:1-300=1"}), FieldWidths{}, ApplicationOptions{});
    s.OnUserData(Hex("64 01 06 01 00 00 14"), SimTime{});
    std::vector<size_t> counts;
    while (auto a = s.TakeClass1()) {
        EXPECT_LE(a->size(), MaxAsduOctets(1));
        if ((*a)[0] == 0x01) counts.push_back((*a)[1]);
    }
    // (253 - 4 header octets) / 3 octets per object = 83 objects per ASDU.
    EXPECT_EQ(counts, (std::vector<size_t>{83, 83, 83, 51}));
}

TEST(StationSpontaneous, ChangesAtTheConfiguredRate) {
    ApplicationOptions o;
    o.spontaneous_per_second = 10;
    Station s(MakeStation(1, 1, {"M_SP_NA:1=0", "M_ME_NB:2=0"}), FieldWidths{}, o);
    s.Tick(SimTime{1000, {}});
    EXPECT_FALSE(s.HasClass1());
    EXPECT_EQ(s.NextDeadline(), 1100);
    s.Tick(SimTime{1100, {}});
    s.Tick(SimTime{1350, {}});
    const auto items = Drain(s);
    ASSERT_EQ(items.size(), 3u);
    // In turn: point 1 toggles, point 2 changes, point 1 toggles back.
    EXPECT_EQ(items[0], "01 01 03 01 01 00 01");
    EXPECT_EQ(items[1].substr(0, 17), "0B 01 03 01 02 00");
    EXPECT_EQ(items[2], "01 01 03 01 01 00 00");
    EXPECT_EQ(s.NextDeadline(), 1400);
    EXPECT_EQ(s.Counters().spontaneous, 3u);
}

TEST(StationSpontaneous, OffByDefault) {
    Station s(MakeStation(1, 1, {"M_SP_NA:1=0"}), FieldWidths{}, ApplicationOptions{});
    s.Tick(SimTime{100000, {}});
    EXPECT_FALSE(s.HasClass1());
    EXPECT_EQ(s.NextDeadline(), -1);
}

}  // namespace
}  // namespace iec::sim

namespace iec::sim {
namespace {

TEST(StationCyclic, MeasuredValuesAsClass2Data) {
    ApplicationOptions o;
    o.cyclic_ms = 1000;
    Station s(test::MakeStation(1, 1, {"M_SP_NA:1=0", "M_ME_NB:2=5", "M_ME_TF:3=0.5"}), FieldWidths{}, o);
    EXPECT_EQ(s.NextDeadline(), 0);
    s.Tick(SimTime{500, {}});
    EXPECT_EQ(s.NextDeadline(), 1500);
    EXPECT_FALSE(s.HasClass1());
    const auto first = s.TakeClass2();
    ASSERT_TRUE(first);
    EXPECT_EQ(test::ToHex(*first), "0B 01 01 01 02 00 05 00 00");
    EXPECT_EQ(test::ToHex(*s.TakeClass2()), "0D 01 01 01 03 00 00 00 00 3F 00");
    EXPECT_FALSE(s.TakeClass2());
    // A cycle nobody fetched is not stacked on.
    s.Tick(SimTime{1500, {}});
    s.Tick(SimTime{2500, {}});
    int items = 0;
    while (s.TakeClass2()) ++items;
    EXPECT_EQ(items, 2);
}

}  // namespace
}  // namespace iec::sim
