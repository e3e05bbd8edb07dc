#include <gtest/gtest.h>

#include "sim101/station.h"
#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::Drain;
using test::Hex;
using test::MakeStation;

class CommandTest : public ::testing::Test {
protected:
    void Send(std::string_view asdu) { station.OnUserData(Hex(asdu), now); }
    std::vector<std::string> Log() { return station.TakeLog(); }

    SimTime now{0, test::FixedTime()};
    Station station{MakeStation(5, 5, {"M_SP_NA:1=0", "M_DP_NA:2=off", "M_ME_NB:100=0", "C_SC_NA:16385>1",
                                       "C_SC_NA:16390>1,sbo", "C_DC_NA:16386"}),
                    FieldWidths{}, ApplicationOptions{}};
};

TEST_F(CommandTest, SelectThenExecuteOfASingleCommand) {
    Send("2D 01 06 05 01 40 81");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"2D 01 07 05 01 40 81"});
    Send("2D 01 06 05 01 40 01");
    // Confirmation, the reflected point as return information (cause 11), termination.
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2D 01 07 05 01 40 01", "01 01 0B 05 01 00 01",
                                                        "2D 01 0A 05 01 40 01"}));
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 select on qu=0 -> positive",
                         "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 execute on qu=0 -> positive"}));
    EXPECT_EQ(station.FindPoint(1)->value, 1);
}

TEST_F(CommandTest, DirectDoubleCommandToAPointAddress) {
    // DCS 2 (on) with QU 1: 0x06. Without a command object the double point at the address is switched.
    Send("2E 01 06 05 02 00 06");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2E 01 07 05 02 00 06", "03 01 0B 05 02 00 02",
                                                        "2E 01 0A 05 02 00 06"}));
    EXPECT_EQ(Log(), std::vector<std::string>{
                         "command link=5 ca=5 type=C_DC_NA cause=6 ioa=2 execute on qu=1 -> positive"});
    // DCS 1 (off) with QU 2: 0x09.
    Send("2E 01 06 05 02 00 09");
    EXPECT_EQ(Drain(station)[1], "03 01 0B 05 02 00 01");
}

TEST_F(CommandTest, CommandObjectWithoutPointIsConfirmedAndTerminated) {
    Send("2E 01 06 05 02 40 05");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2E 01 07 05 02 40 05", "2E 01 0A 05 02 40 05"}));
}

TEST_F(CommandTest, UnknownObjectIsConfirmedNegatively) {
    Send("2D 01 06 05 09 00 81");
    Send("2D 01 06 05 64 00 81");  // a measured value cannot be switched
    Send("2E 01 06 05 01 00 82");  // a double command to a single point
    EXPECT_EQ(Drain(station),
              (std::vector<std::string>{"2D 01 6F 05 09 00 81", "2D 01 6F 05 64 00 81", "2E 01 6F 05 01 00 82"}));
    EXPECT_EQ(Log()[0], "command link=5 ca=5 type=C_SC_NA cause=6 ioa=9 select on qu=0 -> negative cause=47");
}

TEST(CommandOptions, UnknownObjectAsNegativeActivationConfirmation) {
    ApplicationOptions o;
    o.unknown_object_cause = 7;
    Station s(MakeStation(5, 5, {}), FieldWidths{}, o);
    s.OnUserData(Hex("2D 01 06 05 09 00 81"), SimTime{});
    EXPECT_EQ(Drain(s), std::vector<std::string>{"2D 01 47 05 09 00 81"});
}

TEST_F(CommandTest, RefusedObject) {
    ASSERT_TRUE(station.SetRefuse(16385, true));
    Send("2D 01 06 05 01 40 81");
    Send("2D 01 06 05 01 40 01");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2D 01 47 05 01 40 81", "2D 01 47 05 01 40 01"}));
    EXPECT_EQ(station.FindPoint(1)->value, 0);
    ASSERT_TRUE(station.SetRefuse(16385, false));
    Send("2D 01 06 05 01 40 81");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"2D 01 07 05 01 40 81"});
    // A point switched directly can be refused as well; an address without anything cannot.
    ASSERT_TRUE(station.SetRefuse(2, true));
    Send("2E 01 06 05 02 00 06");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"2E 01 47 05 02 00 06"});
    EXPECT_FALSE(station.SetRefuse(4711, true));
}

TEST_F(CommandTest, SelectBeforeOperateIsEnforcedWhereConfigured) {
    Send("2D 01 06 05 06 40 01");  // execute without select
    EXPECT_EQ(Drain(station), std::vector<std::string>{"2D 01 47 05 06 40 01"});
    Send("2D 01 06 05 06 40 81");
    Send("2D 01 06 05 06 40 00");  // executes another state than was selected
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2D 01 07 05 06 40 81", "2D 01 47 05 06 40 00"}));
    Send("2D 01 06 05 06 40 81");
    now.ms += 30001;  // the selection has expired
    Send("2D 01 06 05 06 40 01");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2D 01 07 05 06 40 81", "2D 01 47 05 06 40 01"}));
    Send("2D 01 06 05 06 40 81");
    now.ms += 30000;
    Send("2D 01 06 05 06 40 01");
    EXPECT_EQ(Drain(station).size(), 4u);  // select con, execute con, return information, termination
}

TEST_F(CommandTest, InvalidDoubleCommandStates) {
    Send("2E 01 06 05 02 00 00");
    Send("2E 01 06 05 02 00 83");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2E 01 47 05 02 00 00", "2E 01 47 05 02 00 83"}));
    EXPECT_EQ(Log()[1], "command link=5 ca=5 type=C_DC_NA cause=6 ioa=2 select invalid3 qu=0 -> negative cause=7");
}

TEST_F(CommandTest, DeactivationCancelsTheSelection) {
    Send("2D 01 06 05 06 40 81");
    Send("2D 01 08 05 06 40 81");
    Send("2D 01 06 05 06 40 01");
    EXPECT_EQ(Drain(station), (std::vector<std::string>{"2D 01 07 05 06 40 81", "2D 01 09 05 06 40 81",
                                                        "2D 01 47 05 06 40 01"}));
}

TEST_F(CommandTest, WrongCauseIsAnsweredAsUnknownCause) {
    Send("2D 01 03 05 01 40 81");
    EXPECT_EQ(Drain(station), std::vector<std::string>{"2D 01 6D 05 01 40 81"});
}

}  // namespace
}  // namespace iec::sim
