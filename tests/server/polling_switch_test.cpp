// Polling start: stations grouped by channel into threads, signals registered, tags numbered, limits refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "iec101/polling_thread.h"
#include "server/polling_switch.h"
#include "model/station_file.h"
#include "server/tag_numbering.h"
#include "platform/file_util.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

class PollingSwitch : public ::testing::Test {
protected:
    static fs::path MakeDir() {
        fs::path dir = fs::temp_directory_path() /
                       ("polling_switch_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
    ~PollingSwitch() override {
        Stop_Opros(rt_);
        fs::remove_all(dir_);
    }
    // A station: serial when tcp_port is 0.
    T_KP& Add(const std::string& name, const std::string& port, int tcp_port, int ts, int ti) {
        StationTable& t = table_;
        T_KP& kp = t.KP_arr[static_cast<size_t>(++t.Kol_KP)];
        kp.NameKP = name;
        kp.ASDU_Adr = t.Kol_KP;
        kp.IecDeviceVV.ComPort = port;
        kp.IecDeviceVV.Name = name;
        kp.IecDeviceVV.LinkAddress = t.Kol_KP;
        kp.RTU_TCP = tcp_port ? 1 : 0;
        kp.PortTCP = tcp_port ? tcp_port : 32100;
        for (int j = 1; j <= ts; ++j) {
            T_TS& s = kp.AddTS();
            s.NameTS = "ТС" + std::to_string(j);
            s.AdrASDU = kp.ASDU_Adr;
            s.AdrIOA = j;
            s.AdrASDU_TU = kp.ASDU_Adr;
            s.AdrIOA_TU = 2000 + j;
            s.Type_TU = 1;
        }
        for (int j = 1; j <= ti; ++j) {
            T_TI& s = kp.AddTI();
            s.NameTI = "ТИ" + std::to_string(j);
            s.AdrASDU = kp.ASDU_Adr;
            s.AdrIOA = 100 + j;
        }
        return kp;
    }
    PollingStart Start() {
        EXPECT_EQ(Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_), "");
        return Start_Opros(rt_, false);
    }
    TOpros_device& Thread(int a) { return *rt_.Threads_arr.at(static_cast<size_t>(a)); }

    fs::path dir_ = MakeDir();
    ManualClock clock_;
    Runtime rt_{clock_, dir_};
    StationTable table_;
    OpcUaSettings ua_;
};

TEST_F(PollingSwitch, StationsShareAThreadPerChannel) {
    Add("A", "COM3", 0, 1, 0);
    Add("B", "COM3", 0, 1, 0);
    Add("C", "COM4", 0, 1, 0);
    Add("D", "10.0.0.5", 32100, 0, 1);
    Add("E", "10.0.0.5", 32101, 0, 1);
    Add("F", "10.0.0.5", 32100, 0, 1);
    Add("G", "10.0.0.5", 0, 1, 0);  // serial, with the TCP threads' host as its port: joins the last of them
    ASSERT_TRUE(Start().started);
    ASSERT_EQ(rt_.Kol_Threads, 4);
    EXPECT_EQ(Thread(1).Kol_Devices_In_Thread, 2);
    EXPECT_EQ(Thread(2).Port, "COM4");
    EXPECT_EQ(Thread(3).Kol_Devices_In_Thread, 2);  // D and F
    EXPECT_EQ(Thread(3).RTU_TCP_Thread, 1);
    EXPECT_EQ(Thread(3).Host_Thread, "10.0.0.5");
    EXPECT_EQ(Thread(3).Port_Thread, 32100);
    EXPECT_EQ(Thread(4).Port_Thread, 32101);
    const T_KP& g = *rt_.stations.Station(7);
    EXPECT_EQ(g.Nomer_Thread_, 4);
    EXPECT_EQ(g.NomerPC_in_Thread, 2);
    EXPECT_EQ(Thread(4).dev_Thread[2].NameKP, "G");
    EXPECT_EQ(Thread(4).dev_Thread[2].NomerPC, 7);
    EXPECT_EQ(Thread(1).TagSignalList2.FCount(), 2);
}

TEST_F(PollingSwitch, NumberingOfTheTagTable) {
    Add("A", "COM1", 0, 2, 1);
    Add("B", "COM1", 0, 0, 1);
    ASSERT_TRUE(Start().started);
    const T_KP& a = *rt_.stations.Station(1);
    const T_KP& b = *rt_.stations.Station(2);
    EXPECT_EQ(a.Nom_OPC_1st, 1);
    EXPECT_EQ(a.Nom_OPC_TS, 2);
    EXPECT_EQ(a.Nom_OPC_TI, 4);
    EXPECT_EQ(a.Nom_OPC_Alarm, 5);
    EXPECT_EQ(b.Nom_OPC_1st, 6);
    EXPECT_EQ(b.Nom_OPC_TI, 7);
    EXPECT_EQ(b.Nom_OPC_Alarm, 8);
    EXPECT_EQ(rt_.tags.Kol_OPC_Tags(), 9);
    TagSlot s;
    ASSERT_TRUE(rt_.tags.Read(3, s));
    EXPECT_EQ(s.tag.Name, "A.ТС2");
    EXPECT_EQ(s.tag.vtDataType, 11);
    EXPECT_EQ(s.tag.Nomer_Tag, 1);
    EXPECT_EQ(s.tag.Obj_addr_TU, 2002);
    EXPECT_EQ(s.tag.Nomer_Th, 1);
    EXPECT_EQ(s.tag.Quality, 5);
    EXPECT_TRUE(s.tag.FirstOpros);
    ASSERT_TRUE(rt_.tags.Read(7, s));
    EXPECT_EQ(s.tag.Name, "B.ТИ1");
    EXPECT_EQ(s.tag.vtDataType, 5);
    EXPECT_EQ(s.tag.Nomer_Tag, 3);
    ASSERT_TRUE(rt_.tags.Read(8, s));
    EXPECT_EQ(s.tag.Name, "B.Connected");
    EXPECT_EQ(TagSlotsNeeded(rt_.stations), 10);  // with the lifebit
}

TEST_F(PollingSwitch, LimitsAreRefusedWithTheFigure) {
    for (int i = 0; i < 41; ++i) Add("K" + std::to_string(i), "COM" + std::to_string(i + 1), 0, 0, 0);
    PollingStart p = Start();
    EXPECT_FALSE(p.started);
    EXPECT_EQ(p.refusal, "Слишком много каналов связи: 41 (не более 40)");
    EXPECT_EQ(rt_.Kol_Threads, 0);

    table_ = StationTable();
    for (int i = 0; i < 61; ++i) Add("K" + std::to_string(i), "COM1", 0, 0, 0);
    p = Start();
    EXPECT_EQ(p.refusal, "Слишком много КП на канале COM1: 61 (не более 60)");

    table_ = StationTable();
    for (int i = 0; i < 3; ++i) Add("K" + std::to_string(i), "COM1", 0, 3000, 400);
    p = Start();
    EXPECT_EQ(p.refusal, "Слишком много сигналов: 10200 (не более 10000)");
}

TEST_F(PollingSwitch, TelecontrolByTagReachesTheStationsLinkLayer) {
    Add("A", "COM1", 0, 2, 1);
    Add("B", "COM1", 0, 1, 0);
    ASSERT_TRUE(Start().started);
    Thread(1).Prepare();
    EXPECT_TRUE(ExecuteTU(rt_, 7, true));  // B's TS 1: slot 7 (A: 1..5, B branch 6)
    const TuState tu = Thread(1).Link(2)->TU();
    EXPECT_EQ(tu.Asdu_Adr_TU, 2);
    EXPECT_EQ(tu.Obj_addr_TU, 2001);
    EXPECT_EQ(tu.Type_TU_45_46, 1);
    EXPECT_TRUE(tu.exec_tu);
    EXPECT_TRUE(tu.tuCommand);
    EXPECT_FALSE(ExecuteTU(rt_, 4, true));  // a measured value has no thread in its slot
    EXPECT_FALSE(ExecuteTU(rt_, 0, true));
    EXPECT_FALSE(ArmTU(rt_, kMaxTags + 1, true));
}

TEST_F(PollingSwitch, ClientTelecontrolOnAReserveWithAWorkingMainGoesToTheMainOnly) {
    struct Recorder : ReserveCommandOutlet {
        std::vector<std::pair<int, bool>> sent;
        void ForwardToMain(int tag, bool on) override { sent.emplace_back(tag, on); }
    };
    Add("A", "COM1", 0, 2, 1);
    Add("B", "COM1", 0, 1, 0);
    ASSERT_TRUE(Start().started);
    Thread(1).Prepare();
    auto recorder = std::make_shared<Recorder>();
    rt_.redundancy.Use_Reserv = true;
    rt_.redundancy.Role_reserv = 1;
    rt_.redundancy.Main_server_is_Work = true;
    EXPECT_FALSE(RequestTelecontrol(rt_, 7, true));  // no link running: nothing to forward through
    rt_.SetReserveCommandOutlet(recorder);
    EXPECT_TRUE(RequestTelecontrol(rt_, 7, false));
    EXPECT_EQ(recorder->sent, (std::vector<std::pair<int, bool>>{{7, false}}));
    EXPECT_EQ(Thread(1).Link(2)->TU().Asdu_Adr_TU, 0);  // nothing armed locally

    rt_.redundancy.Main_server_is_Work = false;  // the main is lost: the reserve commands its stations itself
    EXPECT_TRUE(RequestTelecontrol(rt_, 7, true));
    EXPECT_EQ(recorder->sent.size(), 1u);
    EXPECT_EQ(Thread(1).Link(2)->TU().Asdu_Adr_TU, 2);
}

TEST_F(PollingSwitch, StationFileWithAnErrorIsNotPolled) {
    ASSERT_EQ(WriteFileAtomic(dir_ / kStationFileName, "KP,1,1,A,\r\nTS,1001,1,,\"x\",8272,1,Z\r\n"), "");
    const PollingStart p = Start_Opros(rt_, false);
    EXPECT_FALSE(p.started);
    EXPECT_NE(p.refusal.find("iec101.cfg:2"), std::string::npos);
}

}  // namespace
}  // namespace iec
