// iec101opc.exe under Wine as an operator runs it: polling the sim101 program (the Linux one) over loopback TCP and
// over a serial line, its values on the web pages, the OPC UA library loaded from beside the program, one copy at
// a time, and a clean end when its window is closed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "loopback.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "sim101_process.h"
#include "test_station.h"
#include "web/http_client.h"
#include "wine_process.h"

namespace iec {
namespace {

namespace fs = std::filesystem;
using test::RunWine;
using test::WineProcess;
using test::WinePath;

constexpr const char* kAlreadyRunning = "Приложение уже запущено! ОРС-сервер свёрнут в системный трей.";

bool WaitFor(const std::function<bool()>& cond, int timeout_ms = 30000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return cond();
}

// A page of the program's web server in UTF-8, empty when it does not answer.
std::string Page(int port, const std::string& target) {
    const auto answer = test::HttpExchange(static_cast<uint16_t>(port), "GET " + target +
                                                                            " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                                                            "Connection: close\r\n\r\n");
    return answer ? Cp1251ToUtf8(answer->body) : std::string();
}

class DesktopProgram : public ::testing::Test {
protected:
    DesktopProgram() {
        dir_ = fs::temp_directory_path() / ("wine_desktop_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::create_directory_symlink(test::WindowsBin() / "web", dir_ / "web");
        web_port_ = test::FreePort();
    }
    ~DesktopProgram() override {
        if (!com_link_.empty()) fs::remove(com_link_);
        fs::remove_all(dir_);
    }

    void WriteConfig(const T_KP& station, const OpcUaSettings& ua) {
        ASSERT_EQ(test::WriteServerFolder(dir_, station, ua, web_port_), "");
    }

    std::unique_ptr<WineProcess> Start(const fs::path& exe) {
        return std::make_unique<WineProcess>(exe.string(), std::vector<std::string>{"--dir", WinePath(dir_)},
                                             dir_ / "stderr.txt");
    }

    bool PageShows(const std::string& target, const std::string& text, int timeout_ms = 30000) {
        return WaitFor([&] { return Page(web_port_, target).find(text) != std::string::npos; }, timeout_ms);
    }

    std::string Log() const { return ReadFileBytes(dir_ / "iec101opc.log").value_or(""); }

    // What the program has said so far, for a failure's message.
    std::string Diagnosis(WineProcess& program) {
        return "program " + std::string(program.Running() ? "running" : "ended") + "\nlog:\n" + Log() +
               "\noutput:\n" + program.Output();
    }

    // The first start of a program with a window in a new Wine prefix sets up the desktop first: the first page
    // may take a while on a busy machine.
    static constexpr int kFirstPageMs = 90000;

    // Closes the program's window, as Windows does at the end of a session or the task manager's "End task".
    int Close(WineProcess& program) {
        EXPECT_EQ(RunWine("taskkill", {"/im", "iec101opc.exe"}, dir_).exit_code, 0);
        return program.Wait(30000);
    }

    fs::path dir_;
    fs::path com_link_;
    int web_port_ = 0;
};

TEST_F(DesktopProgram, PollsOverTcpPublishesOnTheWebAndOpcUaAndRefusesASecondCopy) {
    sim::test::Sim101Process sim({"--tcp", "0", "--station", "7", "--point", "M_SP_NA:1=on", "--point",
                                  "M_ME_NC:100=42.5"});
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    ASSERT_FALSE(ready.empty());
    T_KP kp = test::TestStation();
    kp.RTU_TCP = 1;
    kp.PortTCP = std::stoi(ready.substr(20));
    kp.IecDeviceVV.ComPort = "127.0.0.1";
    OpcUaSettings ua;
    ua.OPC_UA_use = true;
    ua.OPC_UA_Port = test::FreePort();
    WriteConfig(kp, ua);

    auto program = Start(test::WindowsBin() / "iec101opc.exe");
    ASSERT_TRUE(PageShows("/titek.php", "<td>КП Тест</td><td>Ток</td><td>7</td><td>100</td><td>42.5</td>", kFirstPageMs))
        << Page(web_port_, "/titek.php") << Diagnosis(*program);
    EXPECT_TRUE(PageShows("/tstek.php", "<td>Выключатель</td><td>7</td><td>1</td><td>1</td>"));
    EXPECT_TRUE(PageShows("/config.php", "<td>Есть</td>"));
    // opc_ua3.dll was found beside the program and serves its port.
    EXPECT_TRUE(test::Accepts(ua.OPC_UA_Port));

    // A second copy says that one runs and leaves; the first goes on.
    const test::WineRun second = RunWine((test::WindowsBin() / "iec101opc.exe").string(), {"--dir", WinePath(dir_)}, dir_);
    EXPECT_EQ(second.exit_code, 3);
    EXPECT_NE(second.output.find(kAlreadyRunning), std::string::npos) << second.output;
    sim.Send("set 100 17.25");
    EXPECT_TRUE(PageShows("/titek.php", "<td>17.25</td>")) << Page(web_port_, "/titek.php");
    EXPECT_TRUE(program->Running());

    EXPECT_EQ(Close(*program), 0) << Diagnosis(*program);
    const std::string log = Log();
    EXPECT_NE(log.find("polling started: 1 channels"), std::string::npos) << log;
    EXPECT_NE(log.find("OPC UA server on port " + std::to_string(ua.OPC_UA_Port)), std::string::npos) << log;
    EXPECT_NE(log.find("web server on port " + std::to_string(web_port_)), std::string::npos) << log;
    EXPECT_NE(log.find("station 1 \"КП Тест\": link up"), std::string::npos) << log;
    EXPECT_NE(log.find("iec101opc stopped"), std::string::npos) << log;
    EXPECT_FALSE(test::Accepts(web_port_));
}

TEST_F(DesktopProgram, PollsOverASerialLineAndTellsASilentStationWithoutItsOpcUaLibrary) {
    sim::test::Sim101Process sim({"--pty", "--station", "7", "--point", "M_SP_NA:1=off", "--point",
                                  "M_ME_NC:100=-3.5"});
    const std::string pty = sim.WaitLine("ready pty ");
    ASSERT_FALSE(pty.empty());
    // Wine opens COMn through the link of that name in the prefix.
    com_link_ = test::WinePrefix() / "dosdevices" / "com7";
    fs::remove(com_link_);
    fs::create_symlink(pty.substr(10), com_link_);
    T_KP kp = test::TestStation();
    kp.IecDeviceVV.ComPort = "\\\\.\\COM7";
    kp.IecDeviceVV.BaudRate = 9600;
    kp.IecDeviceVV.Parity = "E";
    OpcUaSettings ua;
    ua.OPC_UA_use = true;
    ua.OPC_UA_Port = test::FreePort();
    WriteConfig(kp, ua);
    // The program in a folder of its own, where opc_ua3.dll is damaged: reported, and polling goes on.
    const fs::path installed = dir_ / "program";
    fs::create_directories(installed);
    fs::create_symlink(test::WindowsBin() / "iec101opc.exe", installed / "iec101opc.exe");
    ASSERT_EQ(WriteFileAtomic(installed / "opc_ua3.dll", "MZ this is no library"), "");

    auto program = Start(installed / "iec101opc.exe");
    ASSERT_TRUE(PageShows("/titek.php", "<td>КП Тест</td><td>Ток</td><td>7</td><td>100</td><td>-3.5</td>", kFirstPageMs))
        << Page(web_port_, "/titek.php") << Diagnosis(*program);
    EXPECT_TRUE(PageShows("/tstek.php", "<td>Выключатель</td><td>7</td><td>1</td><td>0</td>"));
    // A silent station: every read ends on its total time-out, the link goes down, and comes back.
    sim.Send("silence on");
    EXPECT_TRUE(PageShows("/titek.php", "Нет соединения")) << Page(web_port_, "/titek.php");
    sim.Send("silence off");
    EXPECT_TRUE(PageShows("/config.php", "<td>Есть</td>")) << Page(web_port_, "/config.php");

    EXPECT_EQ(Close(*program), 0) << Diagnosis(*program);
    const std::string log = Log();
    EXPECT_NE(log.find("opc_ua3.dll not loaded"), std::string::npos) << log;
    EXPECT_NE(log.find("station 1 \"КП Тест\": link down"), std::string::npos) << log;
    EXPECT_NE(log.find("iec101opc stopped"), std::string::npos) << log;
}

}  // namespace
}  // namespace iec
