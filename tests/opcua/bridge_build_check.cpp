// The OPC UA bridge against a recording stand-in of the server library: the declarations at polling start, the
// value pushes after a publication pass, the server thread's life, the credentials and the write path.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "iec101/polling_thread.h"
#include "loopback.h"
#include "server/polling_switch.h"
#include "model/station_file.h"
#include "opcua/bridge_names.h"
#include "opcua/opc_ua_bridge.h"

namespace iec {
namespace {

namespace fs = std::filesystem;
using test::Accepts;
using test::FreePort;

// The stand-in library: every call as a line, a server that serves until setrunning_bool(0).
struct FakeLibrary {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::string> calls;
    bool running = true;
    bool serving = false;
    bool port_fails = false;
    int written = 0;
    void (*callback)(int) = nullptr;
    std::string credentials;
    int declared = 0;

    void Log(const std::string& line) {
        std::lock_guard lock(mutex);
        calls.push_back(line);
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(calls, {});
    }
};
FakeLibrary* g_fake = nullptr;

std::string Name(const char* bytes, int size) { return std::string(bytes, strnlen(bytes, static_cast<size_t>(size))); }

const UaEntryPoints kFakeEntryPoints = [] {
    UaEntryPoints e;
    e.DLL_add = [](int a, int b) { return a + b; };
    e.create_din_arrays = [](int v, int g) {
        g_fake->Log("create_din_arrays " + std::to_string(v) + " " + std::to_string(g));
        std::lock_guard lock(g_fake->mutex);
        g_fake->running = true;
        return 0;
    };
    e.add_new_group = [](int len, int number, const char* name, int size) {
        g_fake->Log("group " + std::to_string(number) + " " + Name(name, size) + " " + std::to_string(len));
        return 0;
    };
    e.Add_new_perem = [](int len, int number, int type, int group, int one, int writable, const char* name,
                         int size) {
        g_fake->Log("variable " + std::to_string(number) + " type " + std::to_string(type) + " group " +
                    std::to_string(group) + " " + std::to_string(one) + " writable " + std::to_string(writable) +
                    " " + Name(name, size) + " " + std::to_string(len));
        ++g_fake->declared;
        return 0;
    };
    e.Add_All_perem_to_serv = [] { return g_fake->declared; };
    e.UA_ServerNetworkLayerTCP_dll = [](int port, int pwd, int ulen, int plen, void (*cb)(int), const char* cred,
                                        int size) {
        g_fake->Log("serve " + std::to_string(port) + " " + std::to_string(pwd) + " " + std::to_string(ulen) + " " +
                    std::to_string(plen) + " " + std::to_string(size));
        std::unique_lock lock(g_fake->mutex);
        g_fake->credentials.assign(cred, static_cast<size_t>(ulen + plen));
        g_fake->callback = cb;
        if (g_fake->port_fails) return -1;
        g_fake->serving = true;
        g_fake->cv.notify_all();
        g_fake->cv.wait(lock, [] { return !g_fake->running; });
        g_fake->serving = false;
        return 0;
    };
    e.setrunning_bool = [](int r) {
        g_fake->Log("setrunning_bool " + std::to_string(r));
        std::lock_guard lock(g_fake->mutex);
        g_fake->running = r != 0;
        g_fake->cv.notify_all();
    };
    e.getrunning_bool = [] { return 1; };
    e.Set_new_val_to_perem = [](int type, int n, int iv, double rv, uint32_t status, int64_t src, int64_t srv) {
        char real[32];
        std::snprintf(real, sizeof real, "%g", rv);
        g_fake->Log("value " + std::to_string(type) + " " + std::to_string(n) + " " + std::to_string(iv) + " " + real +
                    " " + std::to_string(status) + " " + std::to_string(src) + " " + std::to_string(srv));
        return 0;
    };
    e.Set_new_quality_to_perem = [](int n, uint32_t status, int64_t src, int64_t srv) {
        g_fake->Log("quality " + std::to_string(n) + " " + std::to_string(status) + " " + std::to_string(src) + " " +
                    std::to_string(srv));
        return 0;
    };
    e.get_int32_valwrite_by_index = [](int) { return g_fake->written; };
    e.get_double_valwrite_by_index = [](int) { return static_cast<double>(g_fake->written); };
    e.get_bool_valwrite_by_index = [](int) { return g_fake->written != 0; };
    return e;
}();

class OpcUaBridgeTest : public ::testing::Test {
protected:
    static fs::path MakeDir() {
        fs::path dir = fs::temp_directory_path() /
                       ("opcua_bridge_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
    OpcUaBridgeTest() {
        g_fake = &fake_;
        ua_.OPC_UA_use = true;
        ua_.OPC_UA_Port = 16670;
        // Two stations: the first with 2 TS and 1 TIT, the second with 1 TIT.
        table_.Kol_KP = 2;
        T_KP& a = table_.KP_arr[1];
        a.NameKP = "Подстанция 1";
        a.ASDU_Adr = 1;
        a.IecDeviceVV.ComPort = "COM1";
        a.IecDeviceVV.LinkAddress = 1;
        for (const char* name : {"1Q-ON", "QF"}) {
            T_TS& s = a.AddTS();
            s.NameTS = name;
            s.AdrASDU = 1;
            s.AdrIOA = a.Kol_TS;
            s.AdrASDU_TU = 1;
            s.AdrIOA_TU = 2000 + a.Kol_TS;
            s.Type_TU = 1;  // single command, direct
        }
        T_TI& u = a.AddTI();
        u.NameTI = "U.ab";
        u.AdrASDU = 1;
        u.AdrIOA = 100;
        T_KP& b = table_.KP_arr[2];
        b.NameKP = "Station 2";
        b.ASDU_Adr = 2;
        b.IecDeviceVV.ComPort = "COM1";
        b.IecDeviceVV.LinkAddress = 2;
        T_TI& i = b.AddTI();
        i.NameTI = "I";
        i.AdrASDU = 2;
        i.AdrIOA = 100;
        rt_.opc_ua_server = bridge_;
    }
    ~OpcUaBridgeTest() override {
        Stop_Opros(rt_);
        rt_.opc_ua_server.reset();
        bridge_.reset();
        g_fake = nullptr;
        fs::remove_all(dir_);
    }
    PollingStart Start() {
        EXPECT_EQ(Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_), "");
        return Start_Opros(rt_, false);
    }
    void WaitServing() {
        std::unique_lock lock(fake_.mutex);
        ASSERT_TRUE(fake_.cv.wait_for(lock, std::chrono::seconds(10), [&] { return fake_.serving; }));
    }

    FakeLibrary fake_;
    int loads_ = 0;
    std::shared_ptr<OpcUaBridge> bridge_ = std::make_shared<OpcUaBridge>([this](const fs::path&, std::string& why) {
        ++loads_;
        if (missing_) {
            why = "libopc_ua3.so not loaded: no such file";
            return std::unique_ptr<UaLibrary>();
        }
        return std::make_unique<UaLibrary>(kFakeEntryPoints);
    });
    bool missing_ = false;
    fs::path dir_ = MakeDir();
    ManualClock clock_{DateTime::Compose({2026, 3, 5, 12, 30, 17, 250})};
    Runtime rt_{clock_, dir_};
    StationTable table_;
    OpcUaSettings ua_;
};

TEST_F(OpcUaBridgeTest, DeclaresGroupsAndVariablesByTheTagNumbering) {
    ua_.OPC_UA_writable = true;
    const PollingStart p = Start();
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.opc_ua, "OPC UA server on port 16670: 7 variables, writable");
    EXPECT_TRUE(rt_.OPC_UA_Started);
    WaitServing();
    const std::vector<std::string> expected = {
        "create_din_arrays 17 6",  // 2 TS + 2 TIT + 5 x 2 stations + 3; 2 stations + 4
        "group 80001 Podstancia_1 12",
        "group 80002 Station_2 9",
        "group 80003 lifebit 7",
        "variable 2 type 0 group 80001 1 writable 1 nQ_ON 5",
        "variable 3 type 0 group 80001 1 writable 1 QF 2",
        "variable 4 type 10 group 80001 1 writable 0 U_ab 4",
        "variable 5 type 0 group 80001 1 writable 0 Connected 9",
        "variable 7 type 10 group 80002 1 writable 0 I 1",
        "variable 8 type 0 group 80002 1 writable 0 Connected 9",
        "variable 10 type 5 group 80003 1 writable 0 lifebit 7",
        "serve 16670 0 0 0 100",
    };
    EXPECT_EQ(fake_.Take(), expected);
    EXPECT_EQ(bridge_->Nom_UA_lifebit(), 10);
    ASSERT_EQ(bridge_->All_groups_OPC_UA().size(), 6u);
    EXPECT_EQ(bridge_->All_groups_OPC_UA()[3].Name, "lifebit");
    EXPECT_EQ(bridge_->All_groups_OPC_UA()[3].index1, 80003);

    // The slots carry what a write needs.
    TagSlot s;
    ASSERT_TRUE(rt_.tags.Read(3, s));
    EXPECT_EQ(s.tag.vtDataType_OPC_UA, 11);
    EXPECT_EQ(s.tag.Nomer_Tag_OPC_UA, 1);
    EXPECT_EQ(s.tag.Obj_addr_TU, 2002);
    ASSERT_TRUE(rt_.tags.Read(7, s));
    EXPECT_EQ(s.tag.Nomer_Tag_OPC_UA, 3);

    // Polling stop ends the server and waits for it.
    Stop_Opros(rt_);
    EXPECT_FALSE(rt_.OPC_UA_Started);
    EXPECT_EQ(fake_.Take(), std::vector<std::string>{"setrunning_bool 0"});
    EXPECT_FALSE(fake_.serving);

    // A new start builds everything again.
    ASSERT_TRUE(Start().started);
    WaitServing();
    EXPECT_EQ(loads_, 2);
    EXPECT_EQ(fake_.Take().size(), expected.size());
}

TEST_F(OpcUaBridgeTest, LongNamesAreCutToTheBuffer) {
    table_.KP_arr[2].NameKP = std::string(120, 'L');
    table_.KP_arr[2].IecDeviceVV.Name = table_.KP_arr[2].NameKP;
    ASSERT_TRUE(Start().started);
    WaitServing();
    const std::vector<std::string> calls = fake_.Take();
    ASSERT_GT(calls.size(), 2u);
    EXPECT_EQ(calls[2], "group 80002 " + std::string(99, 'L') + " 120");
}

TEST_F(OpcUaBridgeTest, MissingLibraryLeavesPollingAlone) {
    missing_ = true;
    const PollingStart p = Start();
    EXPECT_TRUE(p.started);
    EXPECT_EQ(p.opc_ua, "OPC UA off: libopc_ua3.so not loaded: no such file");
    EXPECT_FALSE(rt_.opc_ua.OPC_UA_use);
    EXPECT_FALSE(rt_.OPC_UA_Started);
    EXPECT_TRUE(fake_.Take().empty());
    EXPECT_EQ(rt_.Kol_Threads, 1);

    // Switched off in the file: nothing is loaded at all.
    missing_ = false;
    ua_.OPC_UA_use = false;
    ASSERT_TRUE(Start().started);
    EXPECT_EQ(loads_, 1);
}

TEST_F(OpcUaBridgeTest, PushesValuesQualitiesLinksAndTheLifebit) {
    ASSERT_TRUE(Start().started);
    WaitServing();
    fake_.Take();
    const DateTime now = clock_.Now();
    const DateTime source = now - DateTime::kOneMinute;
    // Now in summer time (UTC+3), one stamp taken in the repeated hour as winter time (UTC+2): each maps to UTC
    // with its own bias.
    const LocalNow local{now, -180};
    const std::string ua_now = std::to_string(UA_Time(now, now, -180));
    const std::string ua_source = std::to_string(UA_Time(source, now, -180));
    const std::string ua_winter = std::to_string(UA_Time(source, now, -120));
    bridge_->Publish({{5, UaUpdate::Kind::Link, 1.0, 0, now, -180},
                      {2, UaUpdate::Kind::Status, 1.0, 0, source, -180},
                      {3, UaUpdate::Kind::Status, 0.0, 0x80, source, -180},
                      {4, UaUpdate::Kind::Measured, 230.5, 0x04, source, -120},  // a decimal scale, no flag
                      {7, UaUpdate::Kind::Measured, 99.0, 0x01, source, -180},
                      {8, UaUpdate::Kind::Link, 0.0, 0, now, -180},
                      {9, UaUpdate::Kind::Measured, 12.5, 0, source, -180, true}},
                     local);
    const std::vector<std::string> expected = {
        "value 0 5 1 1 0 " + ua_now + " " + ua_now,
        "value 0 2 1 1 0 " + ua_source + " " + ua_source,
        "quality 3 2147483648 " + ua_source + " " + ua_now,
        "value 10 4 0 230.5 0 " + ua_winter + " " + ua_winter,
        "quality 7 2147483648 " + ua_source + " " + ua_now,  // overflow alone makes it bad
        "value 0 8 0 0 0 " + ua_now + " " + ua_now,
        // the link of its station is down: the last value, Uncertain_NoCommunicationLastUsableValue
        "value 10 9 0 12.5 1083113472 " + ua_source + " " + ua_source,
        "value 5 10 17 17 0 " + ua_now + " " + ua_now,  // the lifebit: the seconds of the time
    };
    EXPECT_EQ(fake_.Take(), expected);
    EXPECT_EQ(std::stoll(ua_winter) - std::stoll(ua_source), 60LL * 60 * 10000000);

    // Nothing reaches the library once the server has stopped.
    Stop_Opros(rt_);
    fake_.Take();
    bridge_->Publish({{2, UaUpdate::Kind::Status, 1.0, 0, source}}, local);
    EXPECT_TRUE(fake_.Take().empty());
}

TEST_F(OpcUaBridgeTest, ClientWriteArmsTheTelecontrolOfTheTag) {
    ua_.OPC_UA_writable = true;
    ASSERT_TRUE(Start().started);
    WaitServing();
    rt_.Threads_arr[1]->Prepare();
    void (*callback)(int) = fake_.callback;
    ASSERT_NE(callback, nullptr);

    fake_.written = 1;  // true
    callback(3);
    TuState tu = rt_.Threads_arr[1]->Link(1)->TU();
    EXPECT_EQ(tu.Obj_addr_TU, 2002);
    EXPECT_EQ(tu.Type_TU_45_46, 1);
    EXPECT_TRUE(tu.exec_tu);  // direct execution
    EXPECT_TRUE(tu.tuCommand);

    fake_.written = 0;  // false
    callback(2);
    tu = rt_.Threads_arr[1]->Link(1)->TU();
    EXPECT_EQ(tu.Obj_addr_TU, 2001);
    EXPECT_FALSE(tu.tuCommand);

    // A measured value, a link and numbers outside the tag table arm nothing and touch nothing.
    EXPECT_FALSE(UA_Write_To_TU(rt_, 4, 1));
    EXPECT_FALSE(UA_Write_To_TU(rt_, 5, 1));
    EXPECT_FALSE(UA_Write_To_TU(rt_, kMaxTags + 1, 1));
    EXPECT_FALSE(UA_Write_To_TU(rt_, -3, 1));
    callback(kMaxTags + 10);
    EXPECT_EQ(rt_.Threads_arr[1]->Link(1)->TU().Obj_addr_TU, 2001);
}

TEST_F(OpcUaBridgeTest, CredentialsFollowTheUserNameAndMustFit) {
    ua_.OPC_UA_by_pwd = true;
    ua_.OPC_UA_username = "operator";
    ua_.OPC_UA_password = "pass§word";  // in Latin-1 and in the station file's code page: one octet each
    ASSERT_TRUE(Start().started);
    WaitServing();
    EXPECT_EQ(fake_.Take().back(), "serve 16670 1 8 9 100");
    EXPECT_EQ(fake_.credentials, "operatorpass\xA7word");

    // 100 characters together still fit; 101 would let nobody in, and so would a Cyrillic password.
    ua_.OPC_UA_username = std::string(60, 'u');
    ua_.OPC_UA_password = std::string(40, 'p');
    ASSERT_TRUE(Start().started);
    WaitServing();
    EXPECT_EQ(fake_.credentials, std::string(60, 'u') + std::string(40, 'p'));
    ua_.OPC_UA_password = std::string(41, 'p');
    PollingStart p = Start();
    EXPECT_TRUE(p.started);
    EXPECT_EQ(p.opc_ua, "OPC UA off: the user name and password are longer than 100 characters together");
    EXPECT_FALSE(rt_.OPC_UA_Started);
    ua_.OPC_UA_password = "пароль";
    p = Start();
    EXPECT_EQ(p.opc_ua, "OPC UA off: the user name and password may hold Latin-1 characters only");

    // Without password login they are not checked.
    ua_.OPC_UA_by_pwd = false;
    ASSERT_TRUE(Start().started);
    EXPECT_TRUE(rt_.OPC_UA_Started);
}

TEST_F(OpcUaBridgeTest, ServerThatCannotOpenItsPortEndsAndSaysSo) {
    fake_.port_fails = true;
    ua_.OPC_UA_Port = 0;
    PollingStart p = Start();
    EXPECT_EQ(p.opc_ua, "OPC UA off: port 0 is not a TCP port");
    EXPECT_TRUE(fake_.Take().empty());

    ua_.OPC_UA_Port = 16670;
    p = Start();
    ASSERT_TRUE(p.started);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (rt_.OPC_UA_Started && std::chrono::steady_clock::now() < end) std::this_thread::yield();
    EXPECT_FALSE(rt_.OPC_UA_Started);
    EXPECT_EQ(bridge_->TakeEndMessage(), "OPC UA server stopped: port 16670 could not be opened");
    EXPECT_EQ(bridge_->TakeEndMessage(), "");
    fake_.Take();
    bridge_->Publish({{2, UaUpdate::Kind::Status, 1.0, 0, clock_.Now()}}, clock_.NowWithBias());
    EXPECT_TRUE(fake_.Take().empty());
}

TEST_F(OpcUaBridgeTest, OneServerPerProgram) {
    ASSERT_TRUE(Start().started);
    WaitServing();
    Runtime other(clock_, dir_);
    ASSERT_TRUE(StartUp(other).start_polling);
    OpcUaBridge second([](const fs::path&, std::string&) { return std::make_unique<UaLibrary>(kFakeEntryPoints); });
    other.opc_ua_server = std::shared_ptr<OpcUaBridge>(&second, [](OpcUaBridge*) {});
    const PollingStart p = Start_Opros(other, false);
    EXPECT_EQ(p.opc_ua, "OPC UA off: another OPC UA server runs in this program");
    EXPECT_TRUE(rt_.OPC_UA_Started);
    Stop_Opros(other);
    EXPECT_TRUE(rt_.OPC_UA_Started);  // the first server runs on
}

// The real library, as the program loads it.
std::unique_ptr<UaLibrary> LoadBuiltLibrary(const fs::path&, std::string& why) {
    return UaLibrary::Load({OPC_UA3_DIR}, why);
}

TEST(UaLibraryLoad, ResolvesEveryEntryPointOfTheBuiltLibrary) {
    std::string why;
    const auto lib = LoadBuiltLibrary({}, why);
    ASSERT_NE(lib, nullptr) << why;
    EXPECT_EQ(lib->api.DLL_add(2, 3), 5);
    EXPECT_EQ(lib->path, (fs::path(OPC_UA3_DIR) / kOpcUaLibraryName).string());
}

TEST(UaLibraryLoad, ALibraryWithoutTheEntryPointsIsRefused) {
    // Another shared library under the expected name.
    const fs::path dir = fs::temp_directory_path() / "opcua_bridge_wrong_library";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::error_code ec;
    for (const char* candidate : {"/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6"}) {
        if (fs::copy_file(candidate, dir / kOpcUaLibraryName, ec)) break;
    }
    if (!fs::exists(dir / kOpcUaLibraryName)) GTEST_SKIP() << "no libm to stand in";
    std::string why;
    EXPECT_EQ(UaLibrary::Load({dir}, why), nullptr);
    EXPECT_NE(why.find("lacks DLL_add, UA_ServerNetworkLayerTCP_dll"), std::string::npos) << why;
    fs::remove_all(dir);
}

TEST_F(OpcUaBridgeTest, RealServerRestartsOnTheSamePortAtEveryPollingStart) {
    ua_.OPC_UA_Port = FreePort();
    auto bridge = std::make_shared<OpcUaBridge>(LoadBuiltLibrary);
    rt_.opc_ua_server = bridge;
    for (int start = 0; start < 3; ++start) {
        const PollingStart p = Start();
        ASSERT_TRUE(p.started);
        EXPECT_EQ(p.opc_ua, "OPC UA server on port " + std::to_string(ua_.OPC_UA_Port) + ": 7 variables") << start;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Accepts(ua_.OPC_UA_Port) && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(Accepts(ua_.OPC_UA_Port)) << start;
        bridge->Publish({{2, UaUpdate::Kind::Status, 1.0, 0, clock_.Now()}}, clock_.NowWithBias());
        Stop_Opros(rt_);
        EXPECT_FALSE(rt_.OPC_UA_Started);
        EXPECT_EQ(bridge->TakeEndMessage(), "");
        EXPECT_FALSE(Accepts(ua_.OPC_UA_Port)) << "stopped at polling stop";
    }
}

}  // namespace
}  // namespace iec
