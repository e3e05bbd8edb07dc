#include "sim101/serial_line.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace iec::sim {
namespace {

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: throw std::runtime_error("unsupported baud rate " + std::to_string(baud));
    }
}

void MakeRaw(int fd, int baud, char parity) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) throw SystemError("tcgetattr");
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | PARODD);
    if (parity != 'N') {
        t.c_cflag |= PARENB;
        if (parity == 'O') t.c_cflag |= PARODD;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (baud > 0) {
        const speed_t s = SpeedOf(baud);
        cfsetispeed(&t, s);
        cfsetospeed(&t, s);
    }
    if (tcsetattr(fd, TCSANOW, &t) != 0) throw SystemError("tcsetattr");
}

class FdLine final : public Endpoint {
public:
    FdLine(int fd, int keep_fd, std::string ready) : fd_(fd), keep_fd_(keep_fd), ready_(std::move(ready)) {}
    ~FdLine() override {
        ::close(fd_);
        if (keep_fd_ >= 0) ::close(keep_fd_);
    }
    FdLine(const FdLine&) = delete;
    FdLine& operator=(const FdLine&) = delete;

    std::string ReadyText() const override { return ready_; }
    void AddPollFds(std::vector<pollfd>& fds) const override { fds.push_back({fd_, POLLIN, 0}); }

    bool Service(const std::vector<pollfd>& fds, std::vector<uint8_t>& received, int64_t, const PrintLine& print) override {
        bool ready = false;
        for (const auto& p : fds) {
            if (p.fd == fd_ && p.revents != 0) ready = true;
        }
        if (!ready) return true;
        std::array<uint8_t, 4096> buf{};
        const ssize_t n = ::read(fd_, buf.data(), buf.size());
        if (n > 0) {
            received.insert(received.end(), buf.begin(), buf.begin() + n);
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        print("error line closed");
        return false;
    }

    void Write(std::span<const uint8_t> octets, const PrintLine& print) override {
        size_t done = 0;
        while (done < octets.size()) {
            const ssize_t n = ::write(fd_, octets.data() + done, octets.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, 100);
            } else {
                print("error write failed");
                return;
            }
        }
    }

    bool Drop(int64_t, int64_t, const PrintLine&) override { return false; }

private:
    int fd_;
    int keep_fd_;
    std::string ready_;
};

}  // namespace

std::unique_ptr<Endpoint> OpenSerialDevice(const std::string& path, int baud, char parity) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw SystemError("cannot open " + path);
    if (isatty(fd)) {
        try {
            MakeRaw(fd, baud, parity);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }
    return std::make_unique<FdLine>(fd, -1, "ready serial " + path);
}

std::unique_ptr<Endpoint> CreatePty() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) throw SystemError("posix_openpt");
    std::array<char, 256> name{};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name.data(), name.size()) != 0) {
        ::close(master);
        throw SystemError("pseudo-terminal set-up");
    }
    // Our own descriptor of the slave keeps the pair alive while the master program closes and reopens it
    // (without it, reads here fail with EIO), and it sets raw mode before the master opens the path.
    const int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        throw SystemError("cannot open " + std::string(name.data()));
    }
    try {
        MakeRaw(slave, 0, 'N');
    } catch (...) {
        ::close(slave);
        ::close(master);
        throw;
    }
    const int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return std::make_unique<FdLine>(master, slave, "ready pty " + std::string(name.data()));
}

}  // namespace iec::sim
