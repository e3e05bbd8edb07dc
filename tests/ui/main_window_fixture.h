// A main window on a folder of its own, with the view and every service faked, for the command tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/runtime_web_data.h"
#include "fake_view.h"
#include "model/station_file.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "server/polling_switch.h"
#include "ui/main_window.h"

namespace iec::test {

struct FakeServer : ServerControl {
    int ClientCount() const override { return clients; }
    int GroupCount() const override { return groups; }
    int LiveObjects() const override { return live; }
    void ShutDownClients(const std::string& reason) override { shutdowns.push_back(reason); }
    std::string Register() override {
        ++registers;
        return register_error;
    }
    std::string Unregister() override {
        ++unregisters;
        return register_error;
    }
    int clients = 0, groups = 0, live = 0, registers = 0, unregisters = 0;
    std::vector<std::string> shutdowns;
    std::string register_error;
};

struct FakeCompanions : PollingCompanions {
    void PollingStarted() override { events.push_back("started"); }
    void PollingStopped() override { events.push_back("stopped"); }
    std::vector<std::string> events;
};

struct FakeReserve : ReserveSender {
    void Send_To_Reserv(const std::string& lines) override { sent.push_back(lines); }
    std::vector<std::string> sent;
};

struct FakeTransfer : ConfigTransferCommands {
    bool ReadFromRemote() override {
        ++reads;
        if (on_read) on_read();
        return replaced;
    }
    void WriteToRemote() override { ++writes; }
    std::function<void()> on_read;
    bool replaced = false;
    int reads = 0, writes = 0;
};

struct FakeRedundancy : RedundancyCommands {
    void Settings() override { ++settings; }
    void ShowState() override { ++states; }
    int settings = 0, states = 0;
};

// A station on its own serial line, with one status signal and one measured value.
inline T_KP SerialStation(const std::string& name, int link) {
    T_KP kp;
    kp.NameKP = name;
    kp.ASDU_Adr = link;
    kp.IecDeviceVV.ComPort = "/dev/null/ttyS" + std::to_string(link);
    kp.IecDeviceVV.Name = name;
    kp.IecDeviceVV.LinkAddress = link;
    T_TS& ts = kp.AddTS();
    ts.NameTS = name + " ТС";
    ts.AdrASDU = link;
    ts.AdrIOA = 1;
    T_TI& ti = kp.AddTI();
    ti.NameTI = name + " ТИ";
    ti.AdrASDU = link;
    ti.AdrIOA = 100;
    ti.Max_TM_Diap = 4000;
    ti.Max_Eng_Diap = 100;
    return kp;
}

inline StationTable SerialStations(int count) {
    StationTable t;
    for (int i = 1; i <= count; ++i) {
        t.KP_arr[static_cast<size_t>(i)] = SerialStation("S" + std::to_string(i), i);
        t.Kol_KP = i;
    }
    return t;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ui_main_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        if (rt_) Stop_Opros(*rt_);
        logic_.reset();
        data_.reset();
        rt_.reset();
        std::filesystem::remove_all(dir_);
    }

    void WriteStations(const StationTable& t, const OpcUaSettings& ua = {}) {
        ASSERT_EQ(Write_Config(t, ua, 10, dir_ / kStationFileName, dir_), "");
    }
    // The window started on the folder; polling switched off again when the start switched it on.
    MainWindowLogic& Open(bool stop_polling = true) {
        rt_ = std::make_unique<Runtime>(clock_, dir_);
        data_ = std::make_unique<RuntimeWebData>(*rt_);
        logic_ = std::make_unique<MainWindowLogic>(
            *rt_, view_,
            MainWindowServices{*data_, random_, &server_, &companions_, &reserve_, transfer_, redundancy_});
        logic_->FormCreate();
        if (stop_polling && rt_->Opros_On) logic_->TogglePolling();
        companions_.events.clear();
        return *logic_;
    }
    std::string Bytes(const char* name) const { return ReadFileBytes(dir_ / name).value_or("<none>"); }
    // The files on disk are exactly those of the expected table.
    void ExpectFilesOf(const StationTable& expected, const OpcUaSettings& ua = {}) {
        EXPECT_EQ(Cp1251ToUtf8(Bytes(kStationFileName)), FormatStationFile(expected, ua, 10));
        EXPECT_EQ(Cp1251ToUtf8(Bytes(kLinkFileName)), FormatLinkFile(expected));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 1; i <= rt_->stations.Kol_KP; ++i) names.push_back(rt_->stations.Station(i)->NameKP);
        return names;
    }

    std::filesystem::path dir_;
    ManualClock clock_{DateTime::Compose({2026, 5, 4, 3, 2, 1})};
    FakeView view_;
    ScriptedRandom random_{{42, 42}};
    FakeServer server_;
    FakeCompanions companions_;
    FakeReserve reserve_;
    FakeTransfer* transfer_ = nullptr;
    FakeRedundancy* redundancy_ = nullptr;
    std::unique_ptr<Runtime> rt_;
    std::unique_ptr<RuntimeWebData> data_;
    std::unique_ptr<MainWindowLogic> logic_;
};

}  // namespace iec::test
