// Telecontrol through the polling turns: select and execute frames, confirmations, supervision, refusals.
#include <gtest/gtest.h>

#include "polling_harness.h"

namespace iec::test {
namespace {

const char* kStation =
    "station 5\n"
    "point M_SP_NA:1=off\n"
    "point M_DP_NA:2=off\n"
    "point C_SC_NA:16385>1,sbo\n"
    "point C_DC_NA:16386>2\n"
    "point C_SC_NA:16387,sbo,refuse\n";

class Telecontrol : public ::testing::Test {
protected:
    explicit Telecontrol(int qu = 0) : h(kStation, {Row(qu)}) {
        h.AddSignal(5, 5, 1, true, "Q1");
        h.AddSignal(5, 5, 2, true, "Q2");
        h.Begin();
        h.clock.AdvanceMs(20);
        h.Turn();
        h.Turn();  // link up, interrogation done
    }
    static StationRow Row(int qu) {
        StationRow r;
        r.qu = qu;
        return r;
    }
    // Written frames, from index `from`, that carry a command ASDU (type 45 or 46), as hex.
    std::vector<std::string> CommandFrames(size_t from = 0) const {
        std::vector<std::string> out;
        for (size_t i = from; i < h.line->writes.size(); ++i) {
            const std::string& w = h.line->writes[i];
            if (w.size() > 20 && (w.substr(18, 2) == "2D" || w.substr(18, 2) == "2E")) out.push_back(w);
        }
        return out;
    }
    PollingHarness h;
};

TEST_F(Telecontrol, SelectThenExecuteOfASingleCommand) {
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16385, 0, true));
    for (int k = 0; k < 3; ++k) h.Turn();
    const auto frames = CommandFrames();
    ASSERT_EQ(frames.size(), 2u);
    // 68 09 09 68 C 05 2D 01 06 05 01 40 <octet> CS 16: the octet 0x81 selects, 0x01 executes.
    EXPECT_EQ(frames[0].substr(0, 12), "68 09 09 68 ");
    EXPECT_EQ(frames[0].substr(15, 23), "05 2D 01 06 05 01 40 81");
    EXPECT_EQ(frames[1].substr(15, 23), "05 2D 01 06 05 01 40 01");
    EXPECT_EQ(h.LogCount(" Иниц ТУ 5,16385"), 1);
    EXPECT_EQ(h.LogCount(" Exec ТУ 5,16385"), 1);
    EXPECT_EQ(h.LogCount(" Ошибка ТУ "), 0);
    // The station switched its point, and the change reached the signal.
    for (int k = 0; k < 2; ++k) h.Turn();
    EXPECT_EQ(h.Signal(5, 5, 1)->GetArmValue().value, 1);
    EXPECT_FALSE(h.thread.Device(1)->error_tu);
    // Even a successful command ends with the supervision, 20 s after the select.
    h.clock.AdvanceMs(21000);
    h.Turn();
    EXPECT_EQ(h.LogCount(" Таймаут ТУ 5,16385"), 1);
    EXPECT_EQ(h.thread.Link(1)->TU().Asdu_Adr_TU, 0);
}

class TelecontrolQu2 : public Telecontrol {
protected:
    TelecontrolQu2() : Telecontrol(2) {}
};

TEST_F(TelecontrolQu2, DirectDoubleCommandOffIsOneFrame) {
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16386, 3, false));
    h.Turn();
    const auto frames = CommandFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].substr(15, 23), "05 2E 01 06 05 02 40 09");  // DCS 1, QU 2, S/E 0
    EXPECT_EQ(h.LogCount(" Exec ТУ 5,16386"), 1);
    EXPECT_EQ(h.LogCount(" Иниц ТУ "), 0);
}

TEST_F(Telecontrol, RefusedSelectNeverExecutes) {
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16387, 0, true));
    for (int k = 0; k < 3; ++k) h.Turn();
    const auto frames = CommandFrames();
    ASSERT_GE(frames.size(), 1u);
    for (const auto& f : frames) EXPECT_EQ(f.substr(36, 2), "81") << "only selects: " << f;
    EXPECT_EQ(h.LogCount(" Exec ТУ "), 0);
    EXPECT_TRUE(h.thread.Device(1)->error_tu);
    h.clock.AdvanceMs(21000);
    h.Turn();
    EXPECT_EQ(h.LogCount(" Таймаут ТУ 5,16387"), 1);
}

TEST_F(Telecontrol, AnUnconfirmedExecuteDoesNotBlockTheNextCommand) {
    // An object the station does not know: the execute is never confirmed positively.
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 999, 1, true));
    h.Turn();
    EXPECT_EQ(h.LogCount(" Exec ТУ 5,999"), 1);
    EXPECT_TRUE(h.thread.Device(1)->error_tu);
    const size_t before = h.line->writes.size();
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16386, 3, true));
    h.Turn();
    EXPECT_EQ(h.LogCount(" Ошибка ТУ "), 0);
    EXPECT_EQ(h.LogCount(" Exec ТУ 5,16386"), 1);
    ASSERT_EQ(CommandFrames(before).size(), 1u);
    for (int k = 0; k < 2; ++k) h.Turn();
    EXPECT_EQ(h.Signal(5, 5, 2)->GetArmValue().value, 1);  // the double point shows "on"
    // Nor does one that timed out.
    h.clock.AdvanceMs(21000);
    h.Turn();
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 999, 1, true));
    h.Turn();
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16386, 3, false));
    h.Turn();
    EXPECT_EQ(h.LogCount(" Exec ТУ 5,16386"), 2);
    EXPECT_EQ(h.LogCount(" Ошибка ТУ "), 0);
}

TEST_F(Telecontrol, ACommandThatCouldNotBeSentInItsTimeIsDroppedNeverSentLate) {
    h.line->line.FaultsAt(0).silent = true;
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16386, 3, true));
    const size_t before = h.line->writes.size();
    for (int k = 0; k < 5; ++k) {
        h.clock.AdvanceMs(5000);
        h.Turn();
    }
    EXPECT_EQ(h.LogCount(" Таймаут ТУ 5,16386"), 1);
    // The station is back 25 s after the command was asked for: it must not be switched now.
    h.line->line.FaultsAt(0).silent = false;
    for (int k = 0; k < 3; ++k) h.Turn();
    EXPECT_TRUE(CommandFrames(before).empty());
    EXPECT_EQ(h.Signal(5, 5, 2)->GetArmValue().value, 0);
    for (const auto& c : h.line->commands) EXPECT_EQ(c.find("C_DC_NA"), std::string::npos) << c;
}

TEST_F(Telecontrol, TheTwentySecondsCountFromTheRequestAndAreNeverRestarted) {
    h.line->line.FaultsAt(0).silent = true;
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16385, 0, true));
    h.clock.AdvanceMs(15000);
    h.Turn();  // silent: nothing can be queued
    h.line->line.FaultsAt(0).silent = false;
    h.Turn();
    EXPECT_EQ(h.LogCount(" Иниц ТУ 5,16385"), 1);  // queued once, not again in each exchange
    h.clock.AdvanceMs(4000);
    h.Turn();
    EXPECT_EQ(h.LogCount(" Таймаут ТУ "), 0);
    h.clock.AdvanceMs(2000);  // 21 s after the request, 6 s after the select
    h.Turn();
    EXPECT_EQ(h.LogCount(" Таймаут ТУ 5,16385"), 1);
}

TEST_F(Telecontrol, ArmingOutsideTheThreadsStationsChangesNothing) {
    EXPECT_FALSE(h.thread.ArmTU(0, 5, 16385, 0, true));
    EXPECT_FALSE(h.thread.ArmTU(2, 5, 16385, 0, true));
    // A status signal without command addresses cancels a pending command of its station.
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16385, 0, true));
    ASSERT_TRUE(h.thread.ArmTU(1, 0, 0, 0, true));
    for (int k = 0; k < 2; ++k) h.Turn();
    EXPECT_TRUE(CommandFrames().empty());
}

TEST(TelecontrolBeforeLink, CommandArmedBeforeTheLinkIsNotLost) {
    PollingHarness h(kStation, {StationRow{}});
    h.AddSignal(5, 5, 1, true, "Q1");
    h.Begin();
    ASSERT_TRUE(h.thread.ArmTU(1, 5, 16386, 3, true));
    h.Turn();  // nothing sent yet
    h.Turn();
    ASSERT_GE(h.line->writes.size(), 2u);
    EXPECT_EQ(h.line->writes[0], "10 40 05 45 16");
    // While the device is in its first polling the command goes out with the first frame selection after the
    // reset; a turn without a checked frame before it does not end it.
    EXPECT_EQ(h.line->writes[1], "68 09 09 68 73 05 2E 01 06 05 02 40 02 F6 16");
    EXPECT_EQ(h.LogCount(" Таймаут ТУ "), 0);
}

}  // namespace
}  // namespace iec::test
