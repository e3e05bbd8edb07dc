#include "platform/serial_port.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace iec {
namespace {

speed_t SpeedOf(int baud) {
    struct Rate {
        int baud;
        speed_t code;
    };
    static const Rate kRates[] = {{50, B50},         {75, B75},         {110, B110},       {134, B134},
                                  {150, B150},       {200, B200},       {300, B300},       {600, B600},
                                  {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
                                  {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
                                  {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const Rate& r : kRates) {
        if (r.baud == baud) return r.code;
    }
    return B0;
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string SerialDevicePath(const std::string& name) {
    std::string n = name;
    if (n.rfind("\\\\.\\", 0) == 0) n = n.substr(4);
    if (n.size() > 3 && std::toupper(static_cast<unsigned char>(n[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(n[1])) == 'O' && std::toupper(static_cast<unsigned char>(n[2])) == 'M') {
        bool digits = true;
        for (size_t i = 3; i < n.size(); ++i) digits = digits && std::isdigit(static_cast<unsigned char>(n[i]));
        if (digits && n.size() <= 6) {
            const int number = std::stoi(n.substr(3));
            if (number >= 1) return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return name;
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return fd_ >= 0; }

void SerialPort::SetTimeouts(const SerialReadTimeouts& t) { timeouts_ = t; }

std::string SerialPort::Open(const std::string& name) {
    Close();
    const std::string path = SerialDevicePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return {};
}

void SerialPort::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string SerialPort::ApplyLine(const SerialLineSettings& s) {
    if (fd_ < 0) return "port not open";
    const speed_t speed = SpeedOf(s.baud);
    if (speed == B0) return "unsupported speed " + std::to_string(s.baud);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return std::string("cannot read the line settings: ") + std::strerror(errno);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_cflag |= CS8;
    switch (s.parity) {
        case 'E': tio.c_cflag |= PARENB; break;
        case 'O': tio.c_cflag |= PARENB | PARODD; break;
        case 'M': tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 'S': tio.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return std::string("cannot set the line: ") + std::strerror(errno);
    return {};
}

bool SerialPort::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    size_t done = 0;
    const int64_t deadline = NowMs() + 1000 + static_cast<int64_t>(bytes.size());
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        const int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        if (PollOrWake(fd_, POLLOUT, static_cast<int>(left), wake_) < 0 && wake_ != nullptr && wake_->Raised()) {
            return false;
        }
    }
    return true;
}

std::string SerialPort::Read(size_t max, bool* failed) {
    std::string out;
    if (failed != nullptr) *failed = false;
    if (fd_ < 0 || max == 0) return out;
    const int64_t start = NowMs();
    const int64_t total_deadline = start + timeouts_.total_constant_ms;
    char buf[4096];
    while (out.size() < max) {
        const int64_t now = NowMs();
        int64_t wait = total_deadline - now;
        if (!out.empty() && timeouts_.interval_ms > 0) wait = std::min<int64_t>(wait, timeouts_.interval_ms);
        if (wait <= 0) break;
        const int revents = PollOrWake(fd_, POLLIN, static_cast<int>(wait), wake_);
        if (revents <= 0) break;  // silence (the interval or the total time ended the read), or a stop
        const bool hangup = (revents & (POLLERR | POLLNVAL | POLLHUP)) != 0;
        const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, max - out.size()));
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            continue;
        }
        // A raw line may read 0 octets by itself; after a hang-up, or with an error, the device is gone (an
        // unplugged adapter keeps failing at once, which would otherwise turn the polling into a busy loop).
        const bool dead = n < 0 ? (errno != EAGAIN && errno != EINTR) || hangup : hangup;
        if (dead && failed != nullptr) *failed = true;
        if (dead || n == 0) break;
    }
    return out;
}

}  // namespace iec
