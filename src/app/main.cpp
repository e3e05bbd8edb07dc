// iec101opc: the IEC 60870-5-101 acquisition server.
#include <atomic>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_config.h"
#include "app/server.h"
#include "platform/program_folder.h"

namespace {

constexpr const char* kUsage =
    "usage: iec101opc [--dir FOLDER]\n"
    "       iec101opc check-config [--dir FOLDER] [--json]\n"
    "\n"
    "  (no command)   run the server: poll the configured stations, publish their values (web pages when\n"
    "                 UseWebServer is set in cnf.ini); stop with Ctrl-C or SIGTERM\n"
    "  check-config   read cnf.ini, iec101.cfg and iec101kp.cfg of the program folder as the server does,\n"
    "                 print every problem with file, line and field; exit status 1 when an error is found\n"
    "  --json         also print the loaded settings and stations as one JSON object on standard output\n"
    "  --dir FOLDER   the program folder (default: the folder of the executable)\n";

std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int) { g_stop = true; }

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    std::string error;
    const auto folder = iec::TakeProgramFolder(args, error);
    if (!error.empty()) {
        std::cerr << "iec101opc: " << error << "\n" << kUsage;
        return 2;
    }
    if (!args.empty() && args[0] == "check-config") {
        bool json = false;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--json") {
                json = true;
            } else {
                std::cerr << "iec101opc: unknown option " << args[i] << "\n" << kUsage;
                return 2;
            }
        }
        return iec::CheckConfig(folder, json, std::cout, std::cerr);
    }
    if (!args.empty()) {
        std::cerr << "iec101opc: unknown command " << args[0] << "\n" << kUsage;
        return 2;
    }
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
    iec::ServerOptions options;
    options.folder = folder;
    const auto exe = iec::ExecutablePath();
    if (!exe.empty()) options.exe_name = exe.filename().string();
    return iec::RunServer(options, g_stop, std::cerr);
}
