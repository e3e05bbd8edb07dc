// sim101: an IEC 60870-5-101 controlled station (unbalanced mode, secondary) on a serial line, a
// pseudo-terminal or a TCP port, for tests, demonstrations and the commissioning of a master.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "platform/clock.h"
#include "sim101/event_loop.h"
#include "sim101/options.h"
#include "sim101/serial_line.h"
#include "sim101/tcp_line.h"

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void PrintToStdout(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    // Tests read these lines as they come; a buffered line would arrive too late.
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace iec::sim;
    ProgramOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::string error = ParseOptions(args, options, &ReadFile); !error.empty()) {
        std::fprintf(stderr, "sim101: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.transport == Transport::None) {
        std::fprintf(stderr, "sim101: name a line: DEVICE, --pty or --tcp PORT (see --help)\n");
        return 2;
    }
    if (options.line.stations.empty()) options.line.stations.push_back(DemoStation());
    if (std::string error = ValidateLineConfig(options.line); !error.empty()) {
        std::fprintf(stderr, "sim101: %s\n", error.c_str());
        return 2;
    }
    const iec::DateTime start = iec::SystemClock::Instance().Now();
    for (auto& s : options.line.stations) {
        for (auto& p : s.points) p.changed = start;
    }

    try {
        std::unique_ptr<Endpoint> endpoint;
        switch (options.transport) {
            case Transport::Pty: endpoint = CreatePty(); break;
            case Transport::Tcp: endpoint = ListenTcp(options.bind_address, options.tcp_port); break;
            default: endpoint = OpenSerialDevice(options.device, options.baud, options.parity); break;
        }
        Line line(options.line);
        for (size_t i = 0; i < line.StationCount(); ++i) line.FaultsAt(i) = options.faults;
        PrintToStdout(endpoint->ReadyText());
        return RunEventLoop(line, *endpoint, &PrintToStdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sim101: %s\n", e.what());
        return 1;
    }
}
