#include "sim101/event_loop.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <csignal>

#include "sim101/loop_core.h"

namespace iec::sim {
namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

}  // namespace

int RunEventLoop(Line& line, Endpoint& endpoint, const PrintLine& print) {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    LoopCore core(line, endpoint, print);
    bool stdin_open = true;
    while (g_stop == 0) {
        const int timeout = core.Due(SystemNow());
        std::vector<pollfd> fds;
        if (stdin_open) fds.push_back({STDIN_FILENO, POLLIN, 0});
        endpoint.AddPollFds(fds);
        const int n = ::poll(fds.data(), fds.size(), timeout);
        if (n < 0) continue;  // EINTR: the loop condition sees a stop signal
        const SimTime now = SystemNow();

        if (stdin_open && fds[0].revents != 0) {
            std::array<char, 1024> buf{};
            const ssize_t got = ::read(STDIN_FILENO, buf.data(), buf.size());
            if (got <= 0) {
                // Without a control input the simulator goes on; only a signal or "quit" ends it.
                stdin_open = false;
            } else if (core.ControlText(std::string_view(buf.data(), static_cast<size_t>(got)), now)) {
                return 0;
            }
        }

        std::vector<uint8_t> received;
        if (!endpoint.Service(fds, received, now.ms, print)) return 1;
        core.Received(received, now);
    }
    return 0;
}

}  // namespace iec::sim
