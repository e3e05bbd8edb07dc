// Our polling thread, started and stopped for real, against the sim101 program over a pseudo-terminal and over
// loopback TCP. Time that rules the protocol (interrogation due times, the 20 s supervision) is the test's
// manual clock; the line runs in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "iec101/polling_thread.h"
#include "model/tag_category.h"
#include "sim101_process.h"

namespace iec {
namespace {

using sim::test::Sim101Process;

// Polls the condition every 10 ms for up to timeout_ms of real time.
bool WaitFor(const std::function<bool()>& cond, int timeout_ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return cond();
}

struct Channel {
    OffsetClock clock;
    std::atomic<int> t230{10};
    RedundancyState redundancy;
    PollingContext ctx{clock, {}, true, t230, redundancy};
    std::unique_ptr<TOpros_device> thread = std::make_unique<TOpros_device>(1, ctx);
    std::mutex log_mutex;
    std::vector<std::string> log;

    void AddStation(int link, const std::string& name) {
        const int n = ++thread->Kol_Devices_In_Thread;
        T_KP_thred& r = thread->dev_Thread[static_cast<size_t>(n)];
        r.NameKP = name;
        r.IecDeviceVV.LinkAddress = link;
        r.IecDeviceVV.BaudRate = 9600;
        r.IecDeviceVV.Parity = "E";
        r.IecDeviceVV.Interval_opros_100 = 5;
        r.IecDeviceVV.Interval_opros_counters_101 = 1;  // due 11 s after the start
        r.IecDeviceVV.opros_na_ustr = 10;
    }
    void AddSignal(int link, int object, bool status) {
        TTagSignal s;
        s.SetParam_2(link, link, 0, TagCategoryList().GetPtc(status ? 0 : 1),
                     std::to_string(link) + "/" + std::to_string(object), object);
        thread->TagSignalList2.AddTag(s);
    }
    void Start() {
        thread->Log().SetTap([this](const std::string& l) {
            std::lock_guard lock(log_mutex);
            log.push_back(l);
        });
        clock.AdvanceMs(20);
        thread->Start();
    }
    int LogCount(const std::string& needle) {
        std::lock_guard lock(log_mutex);
        int c = 0;
        for (const auto& l : log) c += l.find(needle) != std::string::npos;
        return c;
    }
    std::string Dump() {
        std::lock_guard lock(log_mutex);
        std::string all;
        for (size_t i = log.size() > 60 ? log.size() - 60 : 0; i < log.size(); ++i) all += log[i] + "\n";
        return all;
    }
    ArmValue Value(int link, int object) { return thread->TagSignalList2.FindTag(link, link, object)->GetArmValue(); }
};

std::string ReadyPath(Sim101Process& sim, const char* prefix) {
    const std::string line = sim.WaitLine(prefix);
    return line.empty() ? "" : line.substr(std::string(prefix).size());
}

TEST(PollingEndToEnd, ThreeStationsOnAPseudoTerminal) {
    Sim101Process sim({"--pty", "--station", "1", "--point", "M_SP_NA:1=on", "--point", "M_ME_NC:100=1.5",
                       "--station", "2", "--point", "M_DP_NA:1=on", "--point", "M_ME_NB:100=-7",
                       "--station", "3", "--point", "M_IT_NA:1=123456", "--point", "M_ME_TF:100=3.25"});
    const std::string path = ReadyPath(sim, "ready pty ");
    ASSERT_FALSE(path.empty());
    Channel ch;
    ch.thread->Port = path;
    for (int s = 1; s <= 3; ++s) {
        ch.AddStation(s, "КП" + std::to_string(s));
        ch.AddSignal(s, 1, s != 3);
        ch.AddSignal(s, 100, false);
    }
    ch.Start();
    // Once the thread has set its due times, skip to the counter interrogation that brings the integrated totals.
    ASSERT_TRUE(WaitFor([&] { return ch.LogCount(" Start polling dev ") > 0; }));
    ch.clock.AdvanceMs(12000);
    EXPECT_TRUE(WaitFor([&] {
        return ch.Value(1, 100).real == 1.5 && ch.Value(2, 100).real == -7 && ch.Value(3, 100).real == 3.25 &&
               ch.Value(3, 1).value == 123456;
    })) << "values not polled\n" << ch.Dump() << ch.Value(1, 100).real << " " << ch.Value(2, 100).real << " "
        << ch.Value(3, 100).real << " " << ch.Value(3, 1).value;
    EXPECT_EQ(ch.Value(1, 1).value, 1);
    EXPECT_EQ(ch.Value(2, 1).value, 1) << ch.Dump();
    EXPECT_TRUE(ch.Value(3, 100).hasTime);
    for (int s = 1; s <= 3; ++s) EXPECT_FALSE(ch.thread->Alarms(s)) << s;

    // A value changed at the station arrives as spontaneous data.
    sim.Send("set 1/1 off");
    EXPECT_TRUE(WaitFor([&] { return ch.Value(1, 1).value == 0; }));

    // A station that falls silent shows as not connected, and comes back.
    sim.Send("silence on 2");
    EXPECT_TRUE(WaitFor([&] { return ch.thread->Alarms(2); }));
    EXPECT_FALSE(ch.thread->Alarms(1));
    sim.Send("silence off 2");
    EXPECT_TRUE(WaitFor([&] { return !ch.thread->Alarms(2); }));
    ch.thread->Stop();
}

TEST(PollingEndToEnd, CommandsWithSelectAndDirectOverTcp) {
    Sim101Process sim({"--tcp", "0", "--station", "5", "--point", "M_SP_NA:1=off", "--point", "M_DP_NA:2=off",
                       "--point", "C_SC_NA:16385>1,sbo", "--point", "C_DC_NA:16386>2", "--point",
                       "C_SC_NA:16387,sbo,refuse"});
    const std::string port = ReadyPath(sim, "ready tcp 127.0.0.1 ");
    ASSERT_FALSE(port.empty());
    Channel ch;
    ch.thread->RTU_TCP_Thread = 1;
    ch.thread->Host_Thread = "127.0.0.1";
    ch.thread->Port_Thread = std::stoi(port);
    ch.AddStation(5, "КП5");
    ch.AddSignal(5, 1, true);
    ch.AddSignal(5, 2, true);
    ch.Start();
    ASSERT_TRUE(WaitFor([&] { return ch.LogCount("Good CRC 68") > 0 && !ch.thread->Alarms(1); })) << ch.Dump();

    // Select before operate, single command on.
    ASSERT_TRUE(ch.thread->ArmTU(1, 5, 16385, 0, true));
    EXPECT_EQ(sim.WaitLine("command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 select"),
              "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 select on qu=0 -> positive");
    EXPECT_EQ(sim.WaitLine("command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 execute"),
              "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 execute on qu=0 -> positive") << [&] {
        std::string all;
        for (const auto& l : sim.Lines()) all += l + "\n";
        return all;
    }();
    EXPECT_TRUE(WaitFor([&] { return ch.Value(5, 1).value == 1; }));
    EXPECT_EQ(ch.LogCount(" Иниц ТУ 5,16385"), 1);
    EXPECT_EQ(ch.LogCount(" Exec ТУ 5,16385"), 1);
    // The supervision ends it 20 s after the select, on the test's clock.
    ch.clock.AdvanceMs(21000);
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount(" Таймаут ТУ 5,16385") == 1; }));

    // Direct double command on.
    ASSERT_TRUE(ch.thread->ArmTU(1, 5, 16386, 3, true));
    EXPECT_EQ(sim.WaitLine("command link=5 ca=5 type=C_DC_NA cause=6 ioa=16386"),
              "command link=5 ca=5 type=C_DC_NA cause=6 ioa=16386 execute on qu=0 -> positive");
    EXPECT_TRUE(WaitFor([&] { return ch.Value(5, 2).value == 1; }));
    ch.clock.AdvanceMs(21000);
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount(" Таймаут ТУ 5,16386") == 1; }));

    // A refused select: no execute ever.
    ASSERT_TRUE(ch.thread->ArmTU(1, 5, 16387, 0, true));
    EXPECT_EQ(sim.WaitLine("command link=5 ca=5 type=C_SC_NA cause=6 ioa=16387"),
              "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16387 select on qu=0 -> negative cause=7");
    ch.clock.AdvanceMs(21000);
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount(" Таймаут ТУ 5,16387") == 1; }));
    EXPECT_EQ(ch.LogCount(" Exec ТУ 5,16387"), 0);
    ch.thread->Stop();
}

TEST(PollingEndToEnd, ConverterDropsTheConnectionAndComesBack) {
    Sim101Process sim({"--tcp", "0", "--station", "7", "--point", "M_ME_NB:100=42"});
    const std::string port = ReadyPath(sim, "ready tcp 127.0.0.1 ");
    ASSERT_FALSE(port.empty());
    Channel ch;
    ch.thread->RTU_TCP_Thread = 1;
    ch.thread->Host_Thread = "127.0.0.1";
    ch.thread->Port_Thread = std::stoi(port);
    ch.AddStation(7, "КП7");
    ch.AddSignal(7, 100, false);
    ch.Start();
    ASSERT_TRUE(WaitFor([&] { return ch.Value(7, 100).real == 42; }));
    sim.Send("drop");
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount(" нет соединения c 127.0.0.1") > 0; }));
    // Reconnects only once 20 s have passed since the last good send.
    EXPECT_EQ(ch.LogCount(" пробую соединиться с  127.0.0.1"), 0);
    ch.clock.AdvanceMs(21000);
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount(" Возможно соединение установлено  127.0.0.1") > 0; }, 15000));
    sim.Send("set 100 43");
    EXPECT_TRUE(WaitFor([&] { return ch.Value(7, 100).real == 43; }, 15000));
    ch.thread->Stop();
}

TEST(PollingEndToEnd, SingleCharacterAnswersOverAConverterAreWholeAnswers) {
    Sim101Process sim({"--tcp", "0", "--single-char", "--station", "9", "--point", "M_ME_NB:100=9"});
    const std::string port = ReadyPath(sim, "ready tcp 127.0.0.1 ");
    ASSERT_FALSE(port.empty());
    Channel ch;
    ch.thread->RTU_TCP_Thread = 1;
    ch.thread->Host_Thread = "127.0.0.1";
    ch.thread->Port_Thread = std::stoi(port);
    ch.AddStation(9, "КП9");
    ch.AddSignal(9, 100, false);
    ch.Start();
    // The link comes up on 0xE5 acknowledgements and the interrogation's data follows: with the single character
    // taken for the start of a longer packet every exchange waited its 4 s read time-out.
    ASSERT_TRUE(WaitFor([&] { return ch.Value(9, 100).real == 9; })) << ch.Dump();
    EXPECT_TRUE(WaitFor([&] { return ch.LogCount("<--   E5 ") >= 5; })) << ch.Dump();
    EXPECT_EQ(ch.LogCount(" принят неполный пакет "), 0);
    EXPECT_FALSE(ch.thread->Alarms(1));
    ch.thread->Stop();
}

// A stop does not wait out a read on a silent station: 4 s behind a converter, or the total time of a serial read
// with a long Timeout_Merc230.
TEST(PollingEndToEnd, StopInterruptsAReadOnASilentStation) {
    for (const bool tcp : {true, false}) {
        Sim101Process sim(tcp ? std::vector<std::string>{"--tcp", "0", "--silent", "--station", "3"}
                              : std::vector<std::string>{"--pty", "--silent", "--station", "3"});
        const std::string where = ReadyPath(sim, tcp ? "ready tcp 127.0.0.1 " : "ready pty ");
        ASSERT_FALSE(where.empty());
        Channel ch;
        if (tcp) {
            ch.thread->RTU_TCP_Thread = 1;
            ch.thread->Host_Thread = "127.0.0.1";
            ch.thread->Port_Thread = std::stoi(where);
        } else {
            ch.thread->Port = where;
            ch.t230 = 5000;  // a read may take 5 s
        }
        ch.AddStation(3, "КП3");
        ch.Start();
        ASSERT_TRUE(WaitFor([&] { return ch.LogCount(" -> 10 40 03 43 16") > 0; })) << ch.Dump();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // well inside the read
        const auto t0 = std::chrono::steady_clock::now();
        ch.thread->Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500)) << (tcp ? "tcp" : "serial");
    }
}

TEST(PollingEndToEnd, StopEndsAThreadOnADeadLineQuickly) {
    Channel ch;
    ch.thread->Port = "/dev/no_such_port_for_the_test";
    ch.AddStation(1, "КП1");
    ch.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto t0 = std::chrono::steady_clock::now();
    ch.thread->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}

}  // namespace
}  // namespace iec
