#include "sim101/event_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <map>

#include "platform/clock.h"
#include "sim101/control.h"

namespace iec::sim {
namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

SimTime Now() {
    const Clock& c = SystemClock::Instance();
    return SimTime{c.MonotonicMs(), c.Now()};
}

// The earlier of two deadlines, where -1 means none.
int64_t Earlier(int64_t a, int64_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

}  // namespace

int RunEventLoop(Line& line, Endpoint& endpoint, const PrintLine& print) {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Answers waiting for their time (a delay fault), in the order they were made.
    std::multimap<int64_t, std::vector<uint8_t>> pending;
    bool stdin_open = true;
    std::string stdin_text;
    bool was_connected = endpoint.Connected();

    while (g_stop == 0) {
        SimTime now = Now();
        line.Tick(now);
        while (!pending.empty() && pending.begin()->first <= now.ms) {
            endpoint.Write(pending.begin()->second, print);
            pending.erase(pending.begin());
        }

        int64_t deadline = Earlier(line.NextDeadline(), endpoint.NextDeadline());
        if (!pending.empty()) deadline = Earlier(deadline, pending.begin()->first);
        int timeout = 1000;
        if (deadline >= 0) timeout = static_cast<int>(std::clamp<int64_t>(deadline - now.ms, 0, 1000));

        std::vector<pollfd> fds;
        if (stdin_open) fds.push_back({STDIN_FILENO, POLLIN, 0});
        endpoint.AddPollFds(fds);
        const int n = ::poll(fds.data(), fds.size(), timeout);
        if (n < 0) continue;  // EINTR: the loop condition sees a stop signal
        now = Now();

        if (stdin_open && fds[0].revents != 0) {
            std::array<char, 1024> buf{};
            const ssize_t got = ::read(STDIN_FILENO, buf.data(), buf.size());
            if (got <= 0) {
                // Without a control input the simulator goes on; only a signal or "quit" ends it.
                stdin_open = false;
            } else {
                stdin_text.append(buf.data(), static_cast<size_t>(got));
                size_t eol = 0;
                while ((eol = stdin_text.find('\n')) != std::string::npos) {
                    const std::string command = stdin_text.substr(0, eol);
                    stdin_text.erase(0, eol + 1);
                    if (command.find_first_not_of(" \t\r") == std::string::npos) continue;
                    const ControlResult r = ApplyControl(line, command, now);
                    if (r.drop) {
                        endpoint.Drop(r.refuse_ms, now.ms, print);
                        pending.clear();
                    }
                    print(r.reply);
                    if (r.quit) return 0;
                }
                if (stdin_text.size() > 4096) stdin_text.clear();
            }
        }

        std::vector<uint8_t> received;
        if (!endpoint.Service(fds, received, now.ms, print)) return 1;
        if (was_connected && !endpoint.Connected()) pending.clear();
        was_connected = endpoint.Connected();
        if (received.empty()) continue;

        LineOutput out;
        line.Receive(received, now, out);
        for (const auto& l : out.log) print(l);
        for (auto& t : out.transmissions) {
            if (t.delay_ms <= 0 && pending.empty()) {
                endpoint.Write(t.octets, print);
            } else {
                pending.emplace(now.ms + t.delay_ms, std::move(t.octets));
            }
        }
    }
    return 0;
}

}  // namespace iec::sim
