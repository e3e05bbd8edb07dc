#include "sim101/control.h"

#include <gtest/gtest.h>

#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::Drain;
using test::MakeStation;

class ControlTest : public ::testing::Test {
protected:
    ControlTest() {
        LineConfig c;
        c.stations.push_back(MakeStation(5, 5, {"M_SP_NA:1=0", "M_ME_NC:2=0", "C_SC_NA:16385>1"}));
        c.stations.push_back(MakeStation(6, 6, {"M_SP_NA:1=0"}));
        line = std::make_unique<Line>(c);
    }
    ControlResult Do(std::string_view text) { return ApplyControl(*line, text, now); }

    SimTime now{0, test::FixedTime()};
    std::unique_ptr<Line> line;
};

TEST_F(ControlTest, SetQueuesASpontaneousChange) {
    EXPECT_EQ(Do("set 2 -12.5 iv").reply, "ok set 2 -12.5 iv");
    EXPECT_EQ(Do("set 6/1 on\r").reply, "ok set 6/1 on");
    EXPECT_EQ(Drain(*line->FindStation(5)), std::vector<std::string>{"0D 01 03 05 02 00 00 00 48 C1 80"});
    EXPECT_EQ(Drain(*line->FindStation(6)), std::vector<std::string>{"01 01 03 06 01 00 01"});
    EXPECT_EQ(Do("set 9 1").reply, "error no point 9");
    EXPECT_EQ(Do("set 1 5").reply, "error bad value 5");
    EXPECT_EQ(Do("set 1 1 xx").reply, "error bad quality flag xx");
    EXPECT_EQ(Do("set 8/1 1").reply, "error usage: set [LINK/]ADDR VALUE [FLAG...]");
}

TEST_F(ControlTest, FaultsForOneOrAllStations) {
    EXPECT_EQ(Do("silence on 6").reply, "ok silence on 6");
    EXPECT_FALSE(line->FindFaults(5)->silent);
    EXPECT_TRUE(line->FindFaults(6)->silent);
    Do("silence off");
    EXPECT_FALSE(line->FindFaults(6)->silent);
    Do("garbage 3");
    EXPECT_EQ(line->FindFaults(5)->garbage, 3);
    EXPECT_EQ(line->FindFaults(6)->garbage, 3);
    Do("badcrc on 5");
    EXPECT_EQ(line->FindFaults(5)->bad_checksum, -1);
    EXPECT_EQ(line->FindFaults(6)->bad_checksum, 0);
    Do("delay 250 6");
    EXPECT_EQ(line->FindFaults(6)->delay_ms, 250);
    EXPECT_EQ(Do("silence maybe").reply, "error usage: silence on|off [LINK]");
    EXPECT_EQ(Do("delay 1 9").reply, "error no such station");
    EXPECT_EQ(Do("garbage -1").reply, "error usage: garbage on|off|N [LINK]");
}

TEST_F(ControlTest, RefuseDropStatusQuit) {
    EXPECT_EQ(Do("refuse 16385 on").reply, "ok refuse 16385 on");
    EXPECT_EQ(Do("refuse 5/4711 on").reply, "error no command object 5/4711");
    const ControlResult d = Do("drop 1500");
    EXPECT_TRUE(d.drop);
    EXPECT_EQ(d.refuse_ms, 1500);
    EXPECT_TRUE(Do("drop").drop);
    EXPECT_EQ(Do("status").reply.rfind("status frames=0", 0), 0u);
    EXPECT_TRUE(Do("quit").quit);
    EXPECT_EQ(Do("dance").reply, "error unknown command dance");
    EXPECT_EQ(Do("   ").reply, "error empty command");
}

}  // namespace
}  // namespace iec::sim
