// The server program as an operator runs it: iec101opc on a folder, against the sim101 program behind a
// simulated converter, read through its web pages over a real socket.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "loopback.h"
#include "server/polling_switch.h"
#include "server/publication.h"
#include "model/station_file.h"
#include "opcua/bridge_names.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "sim101_process.h"
#include "test_station.h"

namespace iec {
namespace {

namespace fs = std::filesystem;
using test::FreePort;

// One HTTP request on its own connection; the whole answer (status line, headers, body) in UTF-8.
std::string Get(int port, const std::string& target, const std::string& extra_headers = "") {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return {};
    }
    const std::string req =
        "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extra_headers + "\r\n";
    ::send(fd, req.data(), req.size(), MSG_NOSIGNAL);
    std::string out;
    char buf[8192];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return Cp1251ToUtf8(out);
}

bool WaitFor(const std::function<bool()>& cond, int timeout_ms = 15000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return cond();
}

class ServerProcess {
public:
    explicit ServerProcess(const fs::path& folder) : log_(folder / "server.log") {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 2);
            ::execl(IEC101OPC_PATH, "iec101opc", "--dir", folder.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ServerProcess() { Stop(); }
    int Stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Log() const { return ReadFileBytes(log_).value_or(""); }

private:
    fs::path log_;
    pid_t pid_ = -1;
};

class ServerEndToEnd : public ::testing::Test {
protected:
    ServerEndToEnd() {
        dir_ = fs::temp_directory_path() / ("server_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::create_directory_symlink(fs::path(IEC_SOURCE_DIR) / "web", dir_ / "web");
        web_port_ = FreePort();
    }
    ~ServerEndToEnd() override { fs::remove_all(dir_); }

    void WriteConfig(int sim_port, const std::string& extra_cnf = "", const OpcUaSettings& ua = {}) {
        T_KP kp = test::TestStation();
        kp.RTU_TCP = 1;
        kp.PortTCP = sim_port;
        kp.IecDeviceVV.ComPort = "127.0.0.1";
        T_TS& s = kp.TS_arr[1];
        s.AdrASDU_TU = 7;
        s.AdrIOA_TU = 2001;
        s.Type_TU = 0;  // single command with select
        T_TI& never = kp.AddTI();
        never.NameTI = "Нет у КП";
        never.AdrASDU = 7;
        never.AdrIOA = 999;
        ASSERT_EQ(test::WriteServerFolder(dir_, kp, ua, web_port_, extra_cnf), "");
    }

    fs::path dir_;
    int web_port_ = 0;
};

TEST_F(ServerEndToEnd, PagesShowTheSimulatorsValuesAndTheLinkState) {
    sim::test::Sim101Process sim({"--tcp", "0", "--station", "7", "--point", "M_SP_NA:1=on", "--point",
                                  "M_ME_NC:100=42.5"});
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    ASSERT_FALSE(ready.empty());
    WriteConfig(std::stoi(ready.substr(20)), "[pwd]\r\npwd=secret\r\n");
    ServerProcess server(dir_);

    std::string page;
    ASSERT_TRUE(WaitFor([&] {
        page = Get(web_port_, "/titek.php");
        return page.find("<td>42.5</td>") != std::string::npos;
    })) << page << server.Log();
    EXPECT_NE(page.find("HTTP/1.1 200"), std::string::npos);
    EXPECT_NE(page.find("Content-Type: text/html; charset=windows-1251"), std::string::npos);
    EXPECT_NE(page.find("<td>КП Тест</td><td>Ток</td><td>7</td><td>100</td><td>42.5</td><td>0</td><td>42.5</td>"),
              std::string::npos) << page;
    // A value the station never sends.
    EXPECT_NE(page.find("<td>Нет у КП</td><td>7</td><td>999</td><td>0</td><td>Не инициализир.</td>"),
              std::string::npos) << page;
    const std::string ts = Get(web_port_, "/tstek.php");
    EXPECT_NE(ts.find("<td>Выключатель</td><td>7</td><td>1</td><td>1</td><td>0</td>"), std::string::npos) << ts;
    const std::string config = Get(web_port_, "/config.php");
    EXPECT_NE(config.find("<td>КП Тест</td><td>127.0.0.1</td>"), std::string::npos) << config;
    EXPECT_NE(config.find("<td>Есть</td>"), std::string::npos);

    // The configuration files need the transfer password; nothing outside the folders is served.
    EXPECT_NE(Get(web_port_, "/cnf.ini").find("HTTP/1.1 401"), std::string::npos);
    const std::string cnf = Get(web_port_, "/cnf.ini", "Authorization: Basic OnNlY3JldA==\r\n");  // ":secret"
    EXPECT_NE(cnf.find("HTTP/1.1 200"), std::string::npos);
    EXPECT_NE(cnf.find("pwd=secret"), std::string::npos);
    EXPECT_NE(Get(web_port_, "/../cnf.ini").find("HTTP/1.1 40"), std::string::npos);
    EXPECT_NE(Get(web_port_, "/css/../../cnf.ini").find("HTTP/1.1 40"), std::string::npos);
    EXPECT_NE(Get(web_port_, "/%2e%2e/server.log").find("HTTP/1.1 404"), std::string::npos);

    // The station falls silent: the pages say so.
    sim.Send("silence on");
    ASSERT_TRUE(WaitFor([&] {
        page = Get(web_port_, "/titek.php");
        return page.find("Нет соединения") != std::string::npos;
    })) << page;
    EXPECT_NE(Get(web_port_, "/config.php").find("<td>Нет</td>"), std::string::npos);

    EXPECT_EQ(server.Stop(), 0);
    const std::string log = server.Log();
    EXPECT_NE(log.find("polling started: 1 channels"), std::string::npos) << log;
    EXPECT_NE(log.find("web server on port " + std::to_string(web_port_)), std::string::npos) << log;
    EXPECT_NE(log.find("station 1 \"КП Тест\": link up"), std::string::npos) << log;
    EXPECT_NE(log.find("station 1 \"КП Тест\": link down"), std::string::npos) << log;
    EXPECT_NE(log.find("iec101opc stopped"), std::string::npos) << log;
}

TEST_F(ServerEndToEnd, TelecontrolArmedByTagNumberReachesTheStation) {
    sim::test::Sim101Process sim({"--tcp", "0", "--station", "7", "--point", "M_SP_NA:1=off", "--point",
                                  "M_ME_NC:100=1", "--point", "C_SC_NA:2001>1,sbo"});
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    ASSERT_FALSE(ready.empty());
    WriteConfig(std::stoi(ready.substr(20)));
    OffsetClock clock;
    Runtime rt(clock, dir_);
    ASSERT_TRUE(StartUp(rt).start_polling);
    ASSERT_TRUE(Start_Opros(rt).started);
    ASSERT_TRUE(WaitFor([&] {
        Out_Tags_To_OPC(rt);
        return rt.stations.Station(1)->Connected;
    }));
    // Tag 2 is the station's first status signal (tag 1 is its branch).
    TagSlot slot;
    ASSERT_TRUE(rt.tags.Read(2, slot));
    EXPECT_EQ(slot.tag.Name, "КП Тест.Выключатель");
    ASSERT_TRUE(ExecuteTU(rt, 2, true));
    EXPECT_EQ(sim.WaitLine("command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 select"),
              "command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 select on qu=0 -> positive");
    EXPECT_EQ(sim.WaitLine("command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 execute"),
              "command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 execute on qu=0 -> positive");
    EXPECT_TRUE(WaitFor([&] {
        Out_Tags_To_OPC(rt);
        TagSlot s;
        return rt.tags.Read(2, s) && s.value == 1.0 && s.tag.Quality == 192;
    }));
    Stop_Opros(rt);
}

// Runs a program to its end with its output in a file; the exit code, or -1.
int RunToEnd(const std::vector<std::string>& argv, const fs::path& output) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ServerEndToEnd, OpcUaClientReadsTheStationAndArmsACommandByAWrite) {
#ifndef NODE_PATH
    GTEST_SKIP() << "node is not installed";
#else
    sim::test::Sim101Process sim({"--tcp", "0", "--station", "7", "--point", "M_SP_NA:1=off", "--point",
                                  "M_ME_NC:100=42.5", "--point", "C_SC_NA:2001>1,sbo"});
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    ASSERT_FALSE(ready.empty());
    OpcUaSettings ua;
    ua.OPC_UA_use = true;
    ua.OPC_UA_writable = true;
    ua.OPC_UA_by_pwd = true;
    ua.OPC_UA_Port = FreePort();
    ua.OPC_UA_username = "operator";
    ua.OPC_UA_password = "Secret-101";
    WriteConfig(std::stoi(ready.substr(20)), "", ua);
    ServerProcess server(dir_);

    // Station 1: branch 1, its status signal 2, measured values 3 and 4, Connected 5; the lifebit is 7 in
    // group 80002.
    const std::string config =
        "{\"port\":" + std::to_string(ua.OPC_UA_Port) + ",\"user\":\"operator\",\"password\":\"Secret-101\"," +
        "\"folder\":\"" + Translit_Name("КП Тест", false) + "\"," +
        "\"ts\":{\"id\":2,\"name\":\"" + Translit_Name("Выключатель", false) + "\"}," +
        "\"tit\":{\"id\":3,\"name\":\"" + Translit_Name("Ток", false) + "\",\"value\":42.5}," +
        "\"silent\":{\"id\":4},\"connected\":5,\"lifebit\":{\"group\":80002,\"id\":7}}";
    const fs::path output = dir_ / "client.txt";
    const int rc = RunToEnd({NODE_PATH, fs::path(IEC_SOURCE_DIR) / "tests/opcua/node/server_e2e.js", config}, output);
    const std::string said = ReadFileBytes(output).value_or("");
    if (rc == 77) GTEST_SKIP() << said;
    EXPECT_EQ(rc, 0) << said << server.Log();
    EXPECT_EQ(sim.WaitLine("command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 select"),
              "command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 select on qu=0 -> positive");
    EXPECT_EQ(sim.WaitLine("command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 execute"),
              "command link=7 ca=7 type=C_SC_NA cause=6 ioa=2001 execute on qu=0 -> positive");

    EXPECT_EQ(server.Stop(), 0);
    const std::string log = server.Log();
    EXPECT_NE(log.find("OPC UA server on port " + std::to_string(ua.OPC_UA_Port) + ": 5 variables, password login, writable"),
              std::string::npos) << log;
    EXPECT_NE(log.find("iec101opc stopped"), std::string::npos) << log;
#endif
}

}  // namespace
}  // namespace iec
