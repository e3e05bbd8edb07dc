// Ends the blocking waits of a polling thread's line from another thread: a stop request must not wait out a
// read of up to seconds on a silent station, or a converter's connect time-out.
#pragma once

#include <atomic>

namespace iec {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // Any thread; the signal stays raised.
    void Raise();
    bool Raised() const { return raised_.load(); }
    // A descriptor that turns readable once raised, for poll() beside the device's; -1 where there is none (the
    // waits there are bounded and look at Raised() in between).
    int fd() const { return read_fd_; }

private:
    std::atomic<bool> raised_{false};
    int read_fd_ = -1;
    int write_fd_ = -1;
};

// Waits up to timeout_ms for events on fd, ended early when wake (may be null) is raised. Returns poll()'s revents
// of fd, 0 on time-out, -1 on an error of poll itself or when woken.
int PollOrWake(int fd, short events, int timeout_ms, const WakeSignal* wake);

}  // namespace iec
