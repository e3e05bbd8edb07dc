// The main window's grids against a live station: the window logic on a folder, polling the sim101 program behind
// a simulated converter, its timers driven as the window's timers would drive them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

#include "app/runtime_web_data.h"
#include "fake_view.h"
#include "model/station_file.h"
#include "platform/file_util.h"
#include "server/polling_switch.h"
#include "sim101_process.h"
#include "ui/main_window.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

class GridEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ui_grid_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteConfig(int sim_port) {
        StationTable t;
        t.Kol_KP = 1;
        T_KP& kp = t.KP_arr[1];
        kp.NameKP = "КП Тест";
        kp.ASDU_Adr = 7;
        kp.RTU_TCP = 1;
        kp.PortTCP = sim_port;
        kp.PereschetTI = true;
        kp.Popravka_Time = 1;
        kp.IecDeviceVV.ComPort = "127.0.0.1";
        kp.IecDeviceVV.Name = kp.NameKP;
        kp.IecDeviceVV.LinkAddress = 7;
        kp.IecDeviceVV.Interval_opros_100 = 1;
        T_TS& q = kp.AddTS();
        q.NameTS = "Выключатель";
        q.AdrASDU = 7;
        q.AdrIOA = 1;
        T_TS& never = kp.AddTS();
        never.NameTS = "Нет у КП";
        never.AdrASDU = 7;
        never.AdrIOA = 999;
        T_TI& m = kp.AddTI();
        m.NameTI = "Ток";
        m.AdrASDU = 7;
        m.AdrIOA = 100;
        m.Max_TM_Diap = 100;
        m.Max_Eng_Diap = 1000;
        ASSERT_EQ(Write_Config(t, {}, 10, dir_ / kStationFileName, dir_), "");
    }

    // Runs the window's timers until the condition holds (at most 15 s).
    bool RunTimersUntil(MainWindowLogic& w, const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < end) {
            w.Timer200();
            w.Timer1000();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    fs::path dir_;
};

TEST_F(GridEndToEnd, TheGridsShowTheStationsValuesAsTheyChange) {
    sim::test::Sim101Process sim({"--tcp", "0", "--gi-with-time", "--station", "7", "--point", "M_SP_TB:1=on",
                                  "--point", "M_ME_NC:100=42.5"});
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    ASSERT_FALSE(ready.empty());
    WriteConfig(std::stoi(ready.substr(20)));

    OffsetClock clock;
    Runtime rt(clock, dir_);
    RuntimeWebData data(rt);
    test::FakeView view;
    test::ScriptedRandom random({});
    MainWindowLogic w(rt, view, MainWindowServices{data, random});
    w.FormCreate();
    ASSERT_TRUE(rt.Opros_On);
    const GridModel& ts = view.shown.grids.status;
    const GridModel& ti = view.shown.grids.measured;
    ASSERT_TRUE(RunTimersUntil(w, [&] { return ts.At(1, 3) == "Есть" && ti.At(1, 3) == "42.5" && ts.At(2, 3) == "1"; }))
        << ts.At(1, 3) << " " << ti.At(1, 3);

    EXPECT_EQ(ts.At(1, 1), "Связь с устройством");
    EXPECT_EQ(ts.At(2, 1), "Выключатель");
    EXPECT_EQ(ts.At(2, 2), "7,1");
    EXPECT_EQ(ts.At(2, 4), "0");
    // The station's own time tag, one hour on (its time correction).
    const std::regex stamp(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3})");
    EXPECT_TRUE(std::regex_match(ts.At(2, 5), stamp)) << ts.At(2, 5);
    // A signal the station never sends: no value, no quality, no time.
    EXPECT_EQ(ts.At(3, 1), "Нет у КП");
    EXPECT_EQ(ts.At(3, 2), "7,999");
    EXPECT_EQ(ts.At(3, 3), "0");
    EXPECT_EQ(ts.At(3, 4), "255");
    EXPECT_EQ(ts.At(3, 5), "");
    EXPECT_EQ(ti.At(1, 1), "Ток");
    EXPECT_EQ(ti.At(1, 2), "7,100");
    EXPECT_EQ(ti.At(1, 4), "0");
    EXPECT_EQ(ti.At(1, 5), "420");  // 42 counts of 0..100 on 0..1000
    EXPECT_EQ(ti.At(2, 1), "");

    sim.Send("set 100 17.25");
    sim.Send("set 1 off");
    ASSERT_TRUE(RunTimersUntil(w, [&] { return ti.At(1, 3) == "17.25" && ts.At(2, 3) == "0"; })) << ti.At(1, 3);
    EXPECT_EQ(ti.At(1, 5), "170");

    w.TogglePolling();
    EXPECT_FALSE(rt.Opros_On);
    EXPECT_EQ(rt.Kol_Threads, 0);
    // Stopped, the grids keep the station and its last values until polling starts again.
    EXPECT_EQ(view.shown.grids.Grid_KP_Nomer, 1);
    EXPECT_EQ(ts.At(2, 1), "Выключатель");
}

}  // namespace
}  // namespace iec
