#include "sim101/line.h"

#include <gtest/gtest.h>

#include "station_fixture.h"

namespace iec::sim {
namespace {

using test::Fixed;
using test::Hex;
using test::MakeStation;
using test::ToHex;
using test::Variable;

class LineTest : public ::testing::Test {
protected:
    LineTest() {
        config.stations.push_back(MakeStation(5, 5, {"M_SP_NA:1=1", "C_SC_NA:16385>1"}));
        config.stations.push_back(MakeStation(6, 6, {"M_ME_NB:100=-5"}));
        config.stations.push_back(MakeStation(7, 7, {}));
    }

    // Sends one frame and returns every answer on the line, each as hex.
    std::vector<std::string> Exchange(const std::vector<uint8_t>& frame) {
        LineOutput out;
        line().Receive(frame, now, out);
        std::vector<std::string> answers;
        for (const auto& t : out.transmissions) answers.push_back(ToHex(t.octets));
        for (auto& l : out.log) log.push_back(l);
        last = out;
        return answers;
    }
    std::string One(const std::vector<uint8_t>& frame) {
        const auto a = Exchange(frame);
        return a.size() == 1 ? a[0] : "answers: " + std::to_string(a.size());
    }
    Line& line() {
        if (!line_) line_ = std::make_unique<Line>(config);
        return *line_;
    }

    LineConfig config;
    SimTime now{0, test::FixedTime()};
    std::vector<std::string> log;
    LineOutput last;

private:
    std::unique_ptr<Line> line_;
};

TEST_F(LineTest, TheMastersStartUpSequence) {
    // Reset, status, then the general interrogation as the first user data, then class 1 requests while ACD.
    EXPECT_EQ(One(Hex("10 40 05 45 16")), "10 00 05 05 16");
    EXPECT_EQ(One(Hex("10 49 05 4E 16")), "10 0B 05 10 16");
    EXPECT_EQ(One(Hex("68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16")), "10 20 05 25 16");
    EXPECT_EQ(One(Fixed("5A 05")), "68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16");
    EXPECT_EQ(One(Fixed("7A 05")), ToHex(Variable("28 05 01 01 14 05 01 00 01")));
    EXPECT_EQ(One(Fixed("5A 05")), "68 09 09 68 08 05 64 01 0A 05 00 00 14 95 16");
    EXPECT_EQ(One(Fixed("7B 05")), "10 09 05 0E 16");
    EXPECT_EQ(log, std::vector<std::string>{"command link=5 ca=5 type=C_IC_NA cause=6 ioa=0 qoi=20 -> positive"});
}

TEST_F(LineTest, SelectAndExecuteFramesOfTheMaster) {
    One(Hex("10 40 05 45 16"));
    One(Hex("10 49 05 4E 16"));
    EXPECT_EQ(One(Hex("68 09 09 68 73 05 2D 01 06 05 01 40 81 73 16")), "10 20 05 25 16");
    EXPECT_EQ(One(Fixed("5A 05")), ToHex(Variable("08 05 2D 01 07 05 01 40 81")));
    EXPECT_EQ(One(Variable("73 05 2D 01 06 05 01 40 01")), "10 20 05 25 16");
    EXPECT_EQ(One(Fixed("5A 05")), ToHex(Variable("28 05 2D 01 07 05 01 40 01")));
    EXPECT_EQ(One(Fixed("7A 05")), ToHex(Variable("28 05 01 01 0B 05 01 00 01")));
    EXPECT_EQ(One(Fixed("5A 05")), ToHex(Variable("08 05 2D 01 0A 05 01 40 01")));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 execute on qu=0 -> positive");
}

TEST_F(LineTest, StationsOnOneLineAnswerOnlyTheirOwnAddress) {
    EXPECT_EQ(One(Hex("10 40 06 46 16")), "10 00 06 06 16");
    EXPECT_EQ(One(Hex("10 40 07 47 16")), "10 00 07 07 16");
    EXPECT_TRUE(Exchange(Hex("10 40 08 48 16")).empty());
    // Three requests in one read get three answers, in order.
    std::vector<uint8_t> all = Hex("10 49 05 4E 16 10 49 06 4F 16 10 49 07 50 16");
    EXPECT_EQ(Exchange(all), (std::vector<std::string>{"10 0B 05 10 16", "10 0B 06 11 16", "10 0B 07 12 16"}));
}

TEST_F(LineTest, BroadcastUserDataReachesEveryStationWithoutAnswer) {
    EXPECT_TRUE(Exchange(Variable("44 FF 64 01 06 FF 00 00 14")).empty());
    EXPECT_EQ(log.size(), 3u);
    EXPECT_TRUE(line().FindStation(6)->HasClass1());
    // Any other function to the broadcast address is ignored.
    EXPECT_TRUE(Exchange(Hex("10 40 FF 3F 16")).empty());
}

TEST_F(LineTest, SilenceIsPerStationAndIgnoresCommandsToo) {
    line().FindFaults(5)->silent = true;
    EXPECT_TRUE(Exchange(Hex("10 40 05 45 16")).empty());
    EXPECT_TRUE(Exchange(Variable("73 05 64 01 06 05 00 00 14")).empty());
    EXPECT_FALSE(line().FindStation(5)->HasClass1());
    EXPECT_EQ(One(Hex("10 40 06 46 16")), "10 00 06 06 16");
    line().FindFaults(5)->silent = false;
    EXPECT_EQ(One(Hex("10 40 05 45 16")), "10 00 05 05 16");
}

TEST_F(LineTest, GarbageAndBadChecksumCountDown) {
    Faults& f = *line().FindFaults(5);
    f.garbage = 1;
    const std::string g = One(Hex("10 40 05 45 16"));
    const auto octets = Hex(g);
    ASSERT_EQ(octets.size(), 6u);
    EXPECT_EQ(octets[0], 0xFF);
    for (uint8_t b : octets) {
        EXPECT_NE(b, 0x10);
        EXPECT_NE(b, 0x68);
        EXPECT_NE(b, 0xE5);
    }
    f.bad_checksum = 2;
    EXPECT_EQ(One(Hex("10 40 05 45 16")), "10 00 05 06 16");
    EXPECT_EQ(One(Hex("10 49 05 4E 16")), "10 0B 05 11 16");
    EXPECT_EQ(One(Hex("10 49 05 4E 16")), "10 0B 05 10 16");
    EXPECT_EQ(f.bad_checksum, 0);
}

TEST_F(LineTest, ARepetitionAfterACorruptedAnswerGetsTheGoodAnswer) {
    One(Hex("10 40 05 45 16"));
    line().FindStation(5)->SetPoint(1, 0, std::nullopt, now);
    line().FindFaults(5)->bad_checksum = 1;
    const std::string bad = One(Fixed("7A 05"));
    const std::string good = One(Fixed("7A 05"));
    EXPECT_NE(bad, good);
    EXPECT_EQ(good, ToHex(Variable("08 05 01 01 03 05 01 00 00")));
}

TEST_F(LineTest, DelayIsCarriedWithTheAnswer) {
    line().FindFaults(6)->delay_ms = 700;
    Exchange(Hex("10 40 06 46 16"));
    ASSERT_EQ(last.transmissions.size(), 1u);
    EXPECT_EQ(last.transmissions[0].delay_ms, 700);
}

TEST_F(LineTest, StatusTextNamesTheCounters) {
    Exchange(Hex("10 40 05 46 16 FF"));
    const std::string s = line().StatusText();
    EXPECT_NE(s.find("bad_checksum=1"), std::string::npos) << s;
    EXPECT_NE(s.find("link=7"), std::string::npos) << s;
}

TEST(LineConfigCheck, RejectsWhatCannotRun) {
    LineConfig c;
    EXPECT_EQ(ValidateLineConfig(c), "no station configured");
    c.stations.push_back(MakeStation(5, 5, {"M_SP_NA:1=1"}));
    EXPECT_EQ(ValidateLineConfig(c), "");
    c.widths.object = 1;
    c.stations[0].points[0].address = 256;
    EXPECT_NE(ValidateLineConfig(c).find("does not fit"), std::string::npos);
    c.widths.object = 2;
    c.stations.push_back(MakeStation(5, 6, {}));
    EXPECT_NE(ValidateLineConfig(c).find("used twice"), std::string::npos);
    c.stations[1].link_address = 255;
    EXPECT_NE(ValidateLineConfig(c).find("broadcast"), std::string::npos);
    c.stations[1].link_address = 6;
    c.stations[1].common_address = 0;
    EXPECT_NE(ValidateLineConfig(c).find("common address"), std::string::npos);
    c.stations[1].common_address = 6;
    c.widths.cause = 3;
    EXPECT_NE(ValidateLineConfig(c).find("cause"), std::string::npos);
}

}  // namespace
}  // namespace iec::sim
