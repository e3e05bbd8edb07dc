#include "e2e/sim101_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "hex.h"

namespace iec::sim::test {
namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits for input on fd until the deadline; false on time-out.
bool WaitReadable(int fd, int64_t deadline) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(left)) > 0;
}

}  // namespace

Sim101Process::Sim101Process(const std::vector<std::string>& args) {
    int in_pipe[2];
    int out_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0 || ::pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in_pipe[0], STDIN_FILENO);
        ::dup2(out_pipe[1], STDOUT_FILENO);
        std::vector<char*> argv;
        std::string program = SIM101_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    in_fd_ = in_pipe[1];
    out_fd_ = out_pipe[0];
}

Sim101Process::~Sim101Process() {
    if (pid_ > 0 && exit_code_ < 0) {
        Send("quit");
        if (WaitExit(3000) < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ::close(in_fd_);
    ::close(out_fd_);
}

bool Sim101Process::ReadSome(int timeout_ms) {
    if (!WaitReadable(out_fd_, NowMs() + timeout_ms)) return false;
    char buf[4096];
    const ssize_t n = ::read(out_fd_, buf, sizeof buf);
    if (n <= 0) return false;
    pending_.append(buf, static_cast<size_t>(n));
    size_t eol = 0;
    while ((eol = pending_.find('\n')) != std::string::npos) {
        lines_.push_back(pending_.substr(0, eol));
        pending_.erase(0, eol + 1);
    }
    return true;
}

std::string Sim101Process::WaitLine(std::string_view prefix, int timeout_ms) {
    const int64_t deadline = NowMs() + timeout_ms;
    while (true) {
        for (; seen_ < lines_.size(); ++seen_) {
            if (lines_[seen_].rfind(prefix, 0) == 0) return lines_[seen_++];
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0 || !ReadSome(static_cast<int>(left))) return "";
    }
}

void Sim101Process::Send(std::string_view command) {
    std::string text(command);
    text += '\n';
    [[maybe_unused]] const ssize_t n = ::write(in_fd_, text.data(), text.size());
}

int Sim101Process::WaitExit(int timeout_ms) {
    const int64_t deadline = NowMs() + timeout_ms;
    while (exit_code_ < 0) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            break;
        }
        if (NowMs() >= deadline) return -1;
        ::poll(nullptr, 0, 10);  // a short wait for the process to end, not a protocol period
    }
    return exit_code_;
}

RawMaster RawMaster::OpenPty(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    ::tcflush(fd, TCIFLUSH);
    return RawMaster(fd);
}

RawMaster RawMaster::ConnectTcp(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return RawMaster(-1);
    }
    return RawMaster(fd);
}

RawMaster::RawMaster(RawMaster&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

RawMaster::~RawMaster() {
    if (fd_ >= 0) ::close(fd_);
}

void RawMaster::Write(const std::vector<uint8_t>& octets) {
    [[maybe_unused]] const ssize_t n = ::write(fd_, octets.data(), octets.size());
}

std::vector<uint8_t> RawMaster::Read(size_t n, int timeout_ms) {
    const int64_t deadline = NowMs() + timeout_ms;
    std::vector<uint8_t> out;
    while (out.size() < n && WaitReadable(fd_, deadline)) {
        uint8_t buf[512];
        const ssize_t got = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
        if (got <= 0) break;
        out.insert(out.end(), buf, buf + got);
    }
    return out;
}

std::vector<uint8_t> RawMaster::ReadFrame(int link_octets, int timeout_ms) {
    std::vector<uint8_t> f = Read(1, timeout_ms);
    if (f.empty() || f[0] == 0xE5) return f;
    if (f[0] == 0x10) {
        const auto rest = Read(static_cast<size_t>(3 + link_octets), timeout_ms);
        f.insert(f.end(), rest.begin(), rest.end());
        return f;
    }
    if (f[0] != 0x68) return f;
    const auto head = Read(3, timeout_ms);
    f.insert(f.end(), head.begin(), head.end());
    if (f.size() < 4) return f;
    const auto rest = Read(static_cast<size_t>(f[1]) + 2, timeout_ms);
    f.insert(f.end(), rest.begin(), rest.end());
    return f;
}

bool RawMaster::WaitClosed(int timeout_ms) {
    const int64_t deadline = NowMs() + timeout_ms;
    while (WaitReadable(fd_, deadline)) {
        uint8_t buf[256];
        if (::read(fd_, buf, sizeof buf) <= 0) return true;
    }
    return false;
}

std::string RawMaster::Ask(const std::vector<uint8_t>& request, int link_octets) {
    Write(request);
    return ToHex(ReadFrame(link_octets));
}

}  // namespace iec::sim::test
