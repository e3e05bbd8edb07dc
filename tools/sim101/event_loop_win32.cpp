// The simulator's one loop on Windows. Sockets are waited on with WSAPoll; a COM port and the console input cannot
// be, so the wait lasts a few milliseconds at most and they are looked at after each.
#include "sim101/event_loop.h"

#include <windows.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#include "sim101/loop_core.h"
#include "sim101/socket_compat.h"

namespace iec::sim {
namespace {

constexpr int kSliceMs = 5;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

// The control input, read on a thread of its own (a console or pipe read blocks) and taken by the loop.
class ControlInput {
public:
    ControlInput() {
        std::thread([this] {
            char buf[1024];
            DWORD got = 0;
            const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
            while (in != nullptr && in != INVALID_HANDLE_VALUE && ::ReadFile(in, buf, sizeof buf, &got, nullptr) &&
                   got > 0) {
                const std::lock_guard<std::mutex> lock(mutex_);
                text_.append(buf, got);
            }
        }).detach();  // ends with the input, or with the process
    }

    std::string Take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::string out;
        out.swap(text_);
        return out;
    }

private:
    std::mutex mutex_;
    std::string text_;
};

}  // namespace

int RunEventLoop(Line& line, Endpoint& endpoint, const PrintLine& print) {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGBREAK, OnSignal);

    // Leaked on purpose: its thread may still wait on the input when the loop returns.
    auto* input = new ControlInput;
    LoopCore core(line, endpoint, print);
    while (g_stop == 0) {
        const int timeout = std::min(core.Due(SystemNow()), kSliceMs);
        std::vector<pollfd> fds;
        endpoint.AddPollFds(fds);
        if (fds.empty()) {
            ::Sleep(static_cast<DWORD>(timeout));
        } else {
            PollSockets(fds.data(), fds.size(), timeout);
        }
        const SimTime now = SystemNow();
        if (const std::string text = input->Take(); !text.empty() && core.ControlText(text, now)) return 0;
        std::vector<uint8_t> received;
        if (!endpoint.Service(fds, received, now.ms, print)) return 1;
        core.Received(received, now);
    }
    return 0;
}

}  // namespace iec::sim
