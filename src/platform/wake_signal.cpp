#include "platform/wake_signal.h"

#ifndef _WIN32
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace iec {

#ifndef _WIN32

WakeSignal::WakeSignal() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        read_fd_ = fds[0];
        write_fd_ = fds[1];
    }
}

WakeSignal::~WakeSignal() {
    if (read_fd_ >= 0) ::close(read_fd_);
    if (write_fd_ >= 0) ::close(write_fd_);
}

void WakeSignal::Raise() {
    if (raised_.exchange(true)) return;
    const char one = 1;
    if (write_fd_ >= 0) (void)!::write(write_fd_, &one, 1);
}

int PollOrWake(int fd, short events, int timeout_ms, const WakeSignal* wake) {
    if (wake != nullptr && wake->Raised()) return -1;
    pollfd p[2] = {{fd, events, 0}, {wake != nullptr ? wake->fd() : -1, POLLIN, 0}};
    const nfds_t n = wake != nullptr && wake->fd() >= 0 ? 2 : 1;
    int r;
    do {
        r = ::poll(p, n, timeout_ms);
    } while (r < 0 && errno == EINTR);
    if (r < 0 || (n == 2 && p[1].revents != 0)) return -1;
    return r == 0 ? 0 : p[0].revents;
}

#else

WakeSignal::WakeSignal() = default;
WakeSignal::~WakeSignal() = default;
void WakeSignal::Raise() { raised_ = true; }

#endif

}  // namespace iec
