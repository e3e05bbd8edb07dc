#include "ui/station_commands.h"

#include <gtest/gtest.h>

#include "fake_view.h"
#include "ui/ui_texts.h"

namespace iec {
namespace {

T_KP Station(const std::string& name, int link) {
    T_KP kp;
    kp.NameKP = name;
    kp.IP = "ip-" + name;
    kp.ASDU_Adr = link;
    kp.PereschetTI = true;
    kp.Popravka_Time = -3;
    kp.RTU_TCP = 1;
    kp.PortTCP = 32000 + link;
    kp.IecDeviceVV.ComPort = "10.0.0." + std::to_string(link);
    kp.IecDeviceVV.Name = name;
    kp.IecDeviceVV.LinkAddress = link;
    kp.IecDeviceVV.sz_InfObjAddress = 3;
    kp.IecDeviceVV.Interval_opros_100 = 7;
    T_TS& ts = kp.AddTS();
    ts.NameTS = "TS of " + name;
    ts.AdrASDU = link;
    ts.AdrIOA = 1;
    ts.AdrASDU_TU = link;
    ts.AdrIOA_TU = 2001;
    ts.Type_TU = 3;
    T_TI& ti = kp.AddTI();
    ti.NameTI = "TI of " + name;
    ti.AdrASDU = link;
    ti.AdrIOA = 100;
    ti.Min_TM_Diap = -4000;
    ti.Max_TM_Diap = 4000;
    ti.Min_Eng_Diap = -0.5;
    ti.Max_Eng_Diap = 0.5;
    return kp;
}

StationTable Table(int stations) {
    StationTable t;
    for (int i = 1; i <= stations; ++i) EXPECT_TRUE(AppendStation(t, Station("S" + std::to_string(i), i)));
    return t;
}

std::vector<std::string> Names(const StationTable& t) {
    std::vector<std::string> names;
    for (int i = 1; i <= t.Kol_KP; ++i) names.push_back(t.Station(i)->NameKP);
    return names;
}

TEST(StationCommands, AddIsRefusedFromThe33rdStationWithTheTextOfItsPlace) {
    StationTable t = Table(31);
    EXPECT_EQ(AddRefusal(t, CommandOrigin::Button), "");
    EXPECT_EQ(AddRefusal(t, CommandOrigin::Menu), "");
    ASSERT_TRUE(AppendStation(t, Station("S32", 32)));
    EXPECT_EQ(AddRefusal(t, CommandOrigin::Button), "Эта программа работает только с 32 КП.");
    EXPECT_EQ(AddRefusal(t, CommandOrigin::Menu), "Эта программа работает только с 32 IP адресами.");
}

TEST(StationCommands, AppendedStationIsLastAndItsSignalsNameIt) {
    StationTable t = Table(2);
    ASSERT_TRUE(AppendStation(t, Station("New", 9)));
    ASSERT_EQ(t.Kol_KP, 3);
    const T_KP& kp = *t.Station(3);
    EXPECT_EQ(kp.NameKP, "New");
    EXPECT_EQ(kp.TS_arr[1].NomerKP, 3);
    EXPECT_EQ(kp.TS_arr[1].NameKP, "New");
    EXPECT_EQ(kp.TI_arr[1].NomerKP, 3);
}

TEST(StationCommands, DeletingStation2Of5LeavesTheOrder1534) {
    StationTable t = Table(5);
    ASSERT_TRUE(DeleteStation(t, 2));
    EXPECT_EQ(Names(t), (std::vector<std::string>{"S1", "S5", "S3", "S4"}));
    // The moved station is now number 2, with all of its own fields.
    const T_KP& moved = *t.Station(2);
    EXPECT_EQ(moved.IecDeviceVV.LinkAddress, 5);
    EXPECT_EQ(moved.TS_arr[1].NomerKP, 2);
    EXPECT_EQ(moved.TS_arr[1].NameTS, "TS of S5");
    // The freed record keeps nothing for the next station.
    EXPECT_EQ(t.KP_arr[5].NameKP, "");
    EXPECT_EQ(t.KP_arr[5].Kol_TS, 0);
}

TEST(StationCommands, DeletingTheLastOrTheOnlyStationAndNoStation) {
    StationTable t = Table(3);
    ASSERT_TRUE(DeleteStation(t, 3));
    EXPECT_EQ(Names(t), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_FALSE(DeleteStation(t, 3));
    EXPECT_FALSE(DeleteStation(t, 0));
    EXPECT_FALSE(DeleteStation(t, -1));
    StationTable one = Table(1);
    ASSERT_TRUE(DeleteStation(one, 1));
    EXPECT_EQ(one.Kol_KP, 0);
    EXPECT_FALSE(DeleteStation(one, 1));
    EXPECT_EQ(one.Kol_KP, 0);
}

TEST(StationCommands, CopyKeepsEveryFieldButTheNameWhichGetsARandomSuffix) {
    StationTable t = Table(2);
    test::ScriptedRandom random({17, 17, 198});
    ASSERT_EQ(CopyStation(t, 1, random), 3);
    ASSERT_EQ(CopyStation(t, 1, random), 4);
    ASSERT_EQ(CopyStation(t, 3, random), 5);
    EXPECT_EQ(random.bounds, (std::vector<int>{199, 199, 199}));
    // Two copies may get one name: the numbers are independent draws.
    EXPECT_EQ(Names(t), (std::vector<std::string>{"S1", "S2", "S1_copy_17", "S1_copy_17", "S1_copy_17_copy_198"}));

    T_KP expected = *t.Station(1);
    const T_KP& copy = *t.Station(3);
    EXPECT_EQ(copy.IecDeviceVV.Name, "S1_copy_17");
    EXPECT_EQ(copy.IP, expected.IP);
    EXPECT_EQ(copy.ASDU_Adr, expected.ASDU_Adr);
    EXPECT_EQ(copy.PereschetTI, expected.PereschetTI);
    EXPECT_EQ(copy.Popravka_Time, expected.Popravka_Time);
    EXPECT_EQ(copy.RTU_TCP, expected.RTU_TCP);
    EXPECT_EQ(copy.PortTCP, expected.PortTCP);
    EXPECT_EQ(copy.IecDeviceVV.ComPort, expected.IecDeviceVV.ComPort);
    EXPECT_EQ(copy.IecDeviceVV.sz_InfObjAddress, 3);
    EXPECT_EQ(copy.IecDeviceVV.Interval_opros_100, 7);
    ASSERT_EQ(copy.Kol_TS, 1);
    EXPECT_EQ(copy.TS_arr[1].NameTS, "TS of S1");
    EXPECT_EQ(copy.TS_arr[1].AdrIOA_TU, 2001);
    EXPECT_EQ(copy.TS_arr[1].Type_TU, 3);
    EXPECT_EQ(copy.TS_arr[1].NomerKP, 3);
    ASSERT_EQ(copy.Kol_TI, 1);
    EXPECT_EQ(copy.TI_arr[1].Min_TM_Diap, -4000);
    EXPECT_EQ(copy.TI_arr[1].Max_Eng_Diap, 0.5);
    EXPECT_EQ(copy.TI_arr[1].NameKP, "S1_copy_17");
    // The original is untouched.
    EXPECT_EQ(t.Station(1)->NameKP, "S1");
    EXPECT_EQ(t.Station(1)->TS_arr[1].NomerKP, 1);
}

TEST(StationCommands, CopiesGoOnPast32UpTo980Stations) {
    StationTable t = Table(40);
    test::ScriptedRandom random({});
    EXPECT_EQ(CopyRefusal(t), "");
    while (t.Kol_KP < kMaxStations) ASSERT_GT(CopyStation(t, 1, random), 0);
    EXPECT_EQ(CopyRefusal(t), "Эта программа работает только с 980 КП.");
    EXPECT_EQ(CopyStation(t, 1, random), 0);
    EXPECT_EQ(t.Kol_KP, kMaxStations);
    EXPECT_FALSE(AppendStation(t, Station("X", 1)));
    EXPECT_EQ(CopyStation(t, 0, random), 0);
    StationTable empty;
    EXPECT_EQ(CopyStation(empty, 1, random), 0);
    EXPECT_EQ(empty.Kol_KP, 0);
}

}  // namespace
}  // namespace iec
