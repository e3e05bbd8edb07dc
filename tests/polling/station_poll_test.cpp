// One turn of a station, exchange by exchange, with the simulator's protocol core answering.
#include <gtest/gtest.h>

#include "polling_harness.h"

namespace iec::test {
namespace {

const char* kStation5 =
    "station 5\n"
    "point M_SP_NA:1=on\n"
    "point M_DP_NA:2=on\n"
    "point M_ME_NB:100=1234\n"
    "point M_ME_NC:101=2.5\n"
    "point C_SC_NA:16385>1,sbo\n"
    "point C_DC_NA:16386>2,sbo\n";

class StationPoll : public ::testing::Test {
protected:
    StationPoll() : h(kStation5, {StationRow{}}) {
        h.AddSignal(5, 5, 1, true, "Q1");
        h.AddSignal(5, 5, 2, true, "Q2");
        h.AddSignal(5, 5, 100, false, "P");
        h.AddSignal(5, 5, 101, false, "U");
        h.Begin();
        h.clock.AdvanceMs(20);  // past the first interrogation's due time
    }
    PollingHarness h;
};

TEST_F(StationPoll, FirstTurnSendsNothingAndBuildsTheReset) {
    h.Turn();
    EXPECT_TRUE(h.line->writes.empty());
    EXPECT_TRUE(h.thread.Alarms(1));
    EXPECT_EQ(ToHex(h.thread.Link(1)->TxFrame()), "10 40 05 45 16");
    EXPECT_EQ(h.LogCount(" Start polling dev КП1"), 1);
    EXPECT_EQ(h.LogCount(" Stop polling dev КП1"), 1);
}

TEST_F(StationPoll, StartUpSequenceFrameByFrame) {
    h.Turn();
    h.Turn();
    const auto& w = h.line->writes;
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(w[0], "10 40 05 45 16");  // reset of the remote link
    EXPECT_EQ(w[1], "10 49 05 4E 16");  // request status of link
    EXPECT_EQ(w[2], "68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16");  // general interrogation, FCB 1
    // Then class 1 requests while the station signals data, alternating FCB.
    EXPECT_EQ(w[3], "10 5A 05 5F 16");
    EXPECT_FALSE(h.thread.Alarms(1));
    EXPECT_EQ(h.LogCount(" Опрос КП "), 1);
    // A station that answers every request: exactly opros_na_ustr + 1 exchanges in the turn.
    EXPECT_EQ(w.size(), 11u);
    // The interrogation's data reached the signals.
    EXPECT_EQ(h.Signal(5, 5, 1)->GetArmValue().value, 1);
    EXPECT_EQ(h.Signal(5, 5, 2)->GetArmValue().value, 1);
    EXPECT_DOUBLE_EQ(h.Signal(5, 5, 100)->GetArmValue().real, 1234.0);
    EXPECT_DOUBLE_EQ(h.Signal(5, 5, 101)->GetArmValue().real, 2.5);
}

TEST_F(StationPoll, SilentStationAlarmsAndIsReinitialisedAfterTheEleventhSilence) {
    h.Turn();
    h.Turn();
    ASSERT_FALSE(h.thread.Alarms(1));
    h.line->line.FindFaults(5)->silent = true;
    for (int k = 1; k <= 10; ++k) {
        const size_t before = h.line->writes.size();
        h.Turn();
        EXPECT_EQ(h.line->writes.size(), before + 1) << "one request per turn";
        EXPECT_TRUE(h.thread.Alarms(1));
        EXPECT_EQ(h.thread.KolNullOtvets(1), k);
    }
    EXPECT_NE(ToHex(h.thread.Link(1)->TxFrame()), "10 40 05 45 16");
    h.Turn();  // the 11th silent exchange
    EXPECT_EQ(ToHex(h.thread.Link(1)->TxFrame()), "10 40 05 45 16");
    // The station comes back: the link starts again with the reset, then the status request.
    h.line->line.FindFaults(5)->silent = false;
    const size_t before = h.line->writes.size();
    h.Turn();
    ASSERT_GT(h.line->writes.size(), before + 1);
    EXPECT_EQ(h.line->writes[before], "10 40 05 45 16");
    EXPECT_EQ(h.line->writes[before + 1], "10 49 05 4E 16");
    EXPECT_FALSE(h.thread.Alarms(1));
    EXPECT_EQ(h.thread.KolNullOtvets(1), 0);
}

TEST_F(StationPoll, GarbageCountsAsNoAnswer) {
    h.Turn();
    h.Turn();
    h.line->DropPending();
    h.line->line.FindFaults(5)->garbage = 1;
    h.Turn();
    EXPECT_TRUE(h.thread.Alarms(1));
    EXPECT_EQ(h.LogCount(" sr= "), 1);
}

TEST_F(StationPoll, AnswerInTwoPiecesIsJoinedAndDecodedOnce) {
    h.Turn();
    // The reset's acknowledgement arrives in two pieces.
    h.line->SplitNextAnswer({2});
    h.Turn();
    EXPECT_EQ(h.line->writes.at(1), "10 49 05 4E 16");
    EXPECT_FALSE(h.thread.Alarms(1));
    EXPECT_GE(h.LogCount(" sr= 10 "), 1);
}

TEST_F(StationPoll, WrongChecksumCountsAsNoAnswerAndTheRequestIsRepeated) {
    h.Turn();
    h.Turn();
    h.line->line.FindFaults(5)->bad_checksum = 1;
    const size_t before = h.line->writes.size();
    h.Turn();
    ASSERT_EQ(h.line->writes.size(), before + 1);
    EXPECT_TRUE(h.thread.Alarms(1));
    EXPECT_EQ(h.thread.KolNullOtvets(1), 1);
    EXPECT_GE(h.LogCount(" Error - "), 1);
    // The request after a bad answer carries the same FCB: the station repeats its answer.
    h.Turn();
    ASSERT_GE(h.line->writes.size(), before + 2);
    EXPECT_EQ(h.line->writes[before + 1], h.line->writes[before]);
    EXPECT_FALSE(h.thread.Alarms(1));
}

TEST_F(StationPoll, AStationHeardOnlyThroughBadChecksumsIsLostAndItsLinkStartedAgain) {
    h.Turn();
    h.Turn();
    ASSERT_FALSE(h.thread.Alarms(1));
    h.line->line.FindFaults(5)->bad_checksum = -1;
    for (int k = 1; k <= 11; ++k) {
        h.Turn();
        EXPECT_TRUE(h.thread.Alarms(1));
    }
    EXPECT_EQ(ToHex(h.thread.Link(1)->TxFrame()), "10 40 05 45 16");
    h.line->line.FindFaults(5)->bad_checksum = 0;
    h.Turn();
    EXPECT_FALSE(h.thread.Alarms(1));
    // The link came up again: its interrogation follows at once, not at the next period.
    EXPECT_EQ(h.LogCount(" Опрос КП "), 2);
}

TEST_F(StationPoll, SingleCharacterAnswersCompleteTheLink) {
    PollingHarness e(std::string(kStation5) + "single-char\n", {StationRow{}});
    e.Begin();
    e.clock.AdvanceMs(20);
    e.Turn();
    e.Turn();
    ASSERT_GE(e.line->writes.size(), 3u);
    EXPECT_EQ(e.line->writes[0], "10 40 05 45 16");
    EXPECT_EQ(e.line->writes[1], "10 49 05 4E 16");
    EXPECT_EQ(e.line->writes[2], "68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16");
    EXPECT_FALSE(e.thread.Alarms(1));
}

TEST_F(StationPoll, CounterInterrogationAndPacedReads) {
    StationRow row;
    row.ci_minutes = 1;
    row.read_minutes = 1;
    row.polls = 60;
    PollingHarness r(kStation5, {row});
    r.AddSignal(5, 5, 1, true, "Q1");
    r.AddSignal(5, 5, 2, true, "Q2");
    r.AddSignal(5, 5, 100, false, "P");
    r.Begin();
    r.clock.AdvanceMs(20);
    r.Turn();
    r.Turn();
    // The counter interrogation is due 11 s and the read cycle 16 s after the start.
    r.clock.AdvanceMs(17000);
    r.Turn();
    EXPECT_EQ(r.LogCount(" Опрос счетчиков "), 1);
    // One read every seventh qualifying exchange, one object each, in list order.
    std::vector<std::string> reads;
    for (const auto& l : r.log) {
        if (const size_t at = l.find(" Опрос адреса "); at != std::string::npos) reads.push_back(l.substr(at));
    }
    EXPECT_EQ(reads, (std::vector<std::string>{" Опрос адреса 5,1", " Опрос адреса 5,2", " Опрос адреса 5,100"}));
    // Exchange 40 of a long turn always interrogates: the due one and exchange 40 of the second turn, and
    // exchange 40 of the third.
    EXPECT_EQ(r.LogCount(" Опрос КП "), 3);
}

TEST(KadrComplete, WholeFramesOnly) {
    auto s = [](const char* hex) {
        const auto v = Hex(hex);
        return std::string(v.begin(), v.end());
    };
    EXPECT_TRUE(KadrComplete(s("10 09 05 0E 16")));
    EXPECT_TRUE(KadrComplete(s("68 03 03 68 08 05 00 0D 16")));
    EXPECT_FALSE(KadrComplete(s("68 03 03 68 08 05 00 0D")));
    EXPECT_FALSE(KadrComplete(s("68 09 08 68 08 05 00 00 00 00 00 00 00 0D 16")));
    EXPECT_FALSE(KadrComplete(s("68 03 03 67 08 05 00 0D 16")));
    EXPECT_FALSE(KadrComplete(s("E5")));
    EXPECT_FALSE(KadrComplete(s("10 09 05 0E")));
}

}  // namespace
}  // namespace iec::test
