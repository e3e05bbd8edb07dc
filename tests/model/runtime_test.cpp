#include "model/runtime.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/common_address.h"
#include "model/config_validation.h"
#include "model/station_file.h"
#include "platform/file_util.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("startup_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Put(const char* name, const std::string& bytes) { ASSERT_EQ(WriteFileAtomic(dir_ / name, bytes), ""); }
    void CopyDemo() {
        for (const char* f : {"iec101.cfg", "iec101kp.cfg", "cnf.ini"}) {
            fs::copy_file(fs::path(IEC_SOURCE_DIR) / "demo" / f, dir_ / f, fs::copy_options::overwrite_existing);
        }
    }

    fs::path dir_;
    ManualClock clock_{DateTime::Compose({2026, 5, 4, 3, 2, 1})};
};

TEST_F(StartUpTest, DemoConfigurationStartsPolling) {
    CopyDemo();
    Runtime rt(clock_, dir_);
    const StartUpOutcome out = StartUp(rt);
    EXPECT_TRUE(out.start_polling);
    EXPECT_TRUE(rt.Opros_On);
    EXPECT_FALSE(rt.Config_Mode);
    EXPECT_EQ(rt.stations.Kol_KP, 3);
    EXPECT_TRUE(rt.settings.UseWebServer);
    EXPECT_EQ(rt.settings.Port_WebServ, 8080);
    EXPECT_EQ(rt.Time_Start, clock_.Now());
    EXPECT_DOUBLE_EQ(rt.OneHour, 1.0 / 24);
    TagSlot slot;
    ASSERT_TRUE(rt.tags.Read(1, slot));
    EXPECT_EQ(slot.tag.Quality, 1);
    ASSERT_TRUE(rt.tags.Read(kMaxTags, slot));
    EXPECT_EQ(slot.tag.Quality, 1);
    EXPECT_FALSE(rt.tags.Read(kMaxTags + 1, slot));
    ASSERT_NE(rt.ArmSignals, nullptr);
    EXPECT_EQ(rt.program_ini.ArmDir, "..\\ArmztDir\\");
    EXPECT_TRUE(ValidateStations(rt.stations).problems.empty());
}

TEST_F(StartUpTest, ConfiguratorModeNeverPollsByItself) {
    CopyDemo();
    Put("forlinux.txt", "");
    Runtime rt(clock_, dir_);
    EXPECT_FALSE(StartUp(rt).start_polling);
    EXPECT_TRUE(rt.Config_Mode);
    EXPECT_FALSE(rt.Opros_On);
    EXPECT_EQ(rt.stations.Kol_KP, 3);
}

TEST_F(StartUpTest, NoStationsNoPollingAndDefaults) {
    Runtime rt(clock_, dir_);
    EXPECT_FALSE(StartUp(rt).start_polling);
    EXPECT_EQ(rt.stations.Kol_KP, 0);
    EXPECT_FALSE(rt.settings.UseWebServer);
    EXPECT_EQ(rt.settings.Port_WebServ, 80);
    EXPECT_EQ(rt.settings.Timeout_Merc230, 10);
    EXPECT_FALSE(rt.settings.Save_Obmen_v_File);
}

TEST_F(StartUpTest, OneKeyInCnfIniLeavesTheOthersAtTheirDefaults) {
    Put("cnf.ini", "[Port_WebServ]\r\nPort_WebServ=8081\r\n");
    Put("iec101opc.ini", "[_Params_]\r\nsstID=7\r\n[_Config_]\r\nArmDir=C:\\Arm\\\r\n");
    Runtime rt(clock_, dir_);
    StartUp(rt);
    EXPECT_EQ(rt.settings.Port_WebServ, 8081);
    EXPECT_FALSE(rt.settings.UseWebServer);
    EXPECT_EQ(rt.settings.Timeout_Merc230, 10);
    EXPECT_EQ(rt.program_ini.sstID, 7);
    EXPECT_EQ(rt.program_ini.ArmDir, "C:\\Arm\\");
}

TEST_F(StartUpTest, AStationFileWithAnErrorIsNotPolledInPart) {
    Put("iec101.cfg", "KP,1,1,A,\r\nTS,1001,1,,\"x\",8272,1,z\r\n");
    Runtime rt(clock_, dir_);
    const StartUpOutcome out = StartUp(rt);
    EXPECT_TRUE(out.config.HasErrors());
    EXPECT_FALSE(out.start_polling);
    EXPECT_EQ(rt.stations.Kol_KP, 1);
}

TEST_F(StartUpTest, SettingsRoundTripThroughCnfIni) {
    ServerSettings s;
    s.UseWebServer = true;
    s.Port_WebServ = 8443;
    s.Timeout_Merc230 = 25;
    s.Save_Obmen_v_File = true;
    ASSERT_EQ(WriteServerSettings(dir_ / "cnf.ini", s), "");
    ConfigReport report;
    const ServerSettings back = ReadServerSettings(dir_ / "cnf.ini", &report);
    EXPECT_TRUE(back.UseWebServer);
    EXPECT_EQ(back.Port_WebServ, 8443);
    EXPECT_EQ(back.Timeout_Merc230, 25);
    EXPECT_TRUE(back.Save_Obmen_v_File);
    EXPECT_TRUE(report.problems.empty());
    Put("cnf.ini", "[Port_WebServ]\r\nPort_WebServ=eighty\r\n");
    EXPECT_EQ(ReadServerSettings(dir_ / "cnf.ini", &report).Port_WebServ, 80);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].field, "[Port_WebServ] Port_WebServ");
}

TEST(ValidateStations, FindsWhatPollingWouldTripOver) {
    StationTable t;
    t.Kol_KP = 1;
    T_KP& kp = t.KP_arr[1];
    kp.NameKP = "A";
    kp.ASDU_Adr = 300;  // does not fit one octet
    kp.IecDeviceVV.sz_InfObjAddress = 4;
    kp.IecDeviceVV.Parity = "X";
    T_TS& a = kp.AddTS();
    a.AdrIOA = 1;
    a.Type_TU = 7;
    a.AdrIOA_TU = 5;
    T_TS& b = kp.AddTS();
    b.AdrIOA = 1;
    std::string all;
    for (const auto& p : ValidateStations(t).problems) all += p.ToString() + "\n";
    EXPECT_NE(all.find("sz_InfObjAddress: expected 1..3, found 4"), std::string::npos) << all;
    EXPECT_NE(all.find("ASDU_Adr: expected 0..255, found 300"), std::string::npos) << all;
    EXPECT_NE(all.find("Parity"), std::string::npos) << all;
    EXPECT_NE(all.find("Type_TU: expected 0..3, found 7"), std::string::npos) << all;
    EXPECT_NE(all.find("only one of the two command addresses"), std::string::npos) << all;
    EXPECT_NE(all.find("the same addresses as TS 1"), std::string::npos) << all;
    EXPECT_EQ(all.find("common addresses"), std::string::npos) << all;
}

TEST(ValidateStations, SignalsUnderSeveralCommonAddressesAreReachedOnlyThroughTheGlobalAddress) {
    StationTable t;
    t.Kol_KP = 1;
    T_KP& kp = t.KP_arr[1];
    kp.NameKP = "A";
    kp.IecDeviceVV.LinkAddress = 5;
    kp.IecDeviceVV.sz_ASDUAddress = 1;
    kp.AddTS().AdrASDU = 7;
    kp.AddTI().AdrASDU = 7;
    EXPECT_EQ(InterrogationCommonAddress(kp).address, 7);  // the one they name, not the link address
    kp.AddTI().AdrASDU = 9;
    const InterrogationAddress a = InterrogationCommonAddress(kp);
    EXPECT_TRUE(a.global);
    EXPECT_EQ(a.address, 255);
    std::string all;
    for (const auto& p : ValidateStations(t).problems) all += p.ToString() + "\n";
    EXPECT_NE(all.find("the signals name the common addresses 7, 9; interrogations go to the global address 255"),
              std::string::npos) << all;
    kp.IecDeviceVV.sz_ASDUAddress = 2;
    EXPECT_EQ(InterrogationCommonAddress(kp).address, 65535);
    T_KP none;
    none.IecDeviceVV.LinkAddress = 12;
    EXPECT_EQ(InterrogationCommonAddress(none).address, 12) << "no signals: the link address";
}

}  // namespace
}  // namespace iec
