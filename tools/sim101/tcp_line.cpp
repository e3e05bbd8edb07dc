#include "sim101/tcp_line.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace iec::sim {
namespace {

int OpenListener(in_addr address, int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr = address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class TcpLine final : public Endpoint {
public:
    TcpLine(const std::string& address, int port) : text_(address) {
        if (::inet_pton(AF_INET, address.c_str(), &address_) != 1)
            throw std::runtime_error("not an IPv4 address: " + address);
        listen_fd_ = OpenListener(address_, port);
        if (listen_fd_ < 0) throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) +
                                                     ": " + std::strerror(errno));
        sockaddr_in a{};
        socklen_t len = sizeof a;
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~TcpLine() override {
        CloseConnection();
        if (listen_fd_ >= 0) ::close(listen_fd_);
    }
    TcpLine(const TcpLine&) = delete;
    TcpLine& operator=(const TcpLine&) = delete;

    std::string ReadyText() const override { return "ready tcp " + text_ + " " + std::to_string(port_); }

    void AddPollFds(std::vector<pollfd>& fds) const override {
        if (listen_fd_ >= 0) fds.push_back({listen_fd_, POLLIN, 0});
        if (conn_fd_ >= 0) fds.push_back({conn_fd_, POLLIN, 0});
    }

    bool Service(const std::vector<pollfd>& fds, std::vector<uint8_t>& received, int64_t now_ms,
                 const PrintLine& print) override {
        if (listen_fd_ < 0 && reopen_at_ >= 0 && now_ms >= reopen_at_) {
            listen_fd_ = OpenListener(address_, port_);
            reopen_at_ = listen_fd_ >= 0 ? -1 : now_ms + 100;
        }
        bool conn_ready = false;
        bool listen_ready = false;
        for (const auto& p : fds) {
            if (p.revents == 0) continue;
            if (p.fd == conn_fd_ && conn_fd_ >= 0) conn_ready = true;
            if (p.fd == listen_fd_ && listen_fd_ >= 0) listen_ready = true;
        }
        if (conn_ready) {
            std::array<uint8_t, 4096> buf{};
            const ssize_t n = ::recv(conn_fd_, buf.data(), buf.size(), 0);
            if (n > 0) {
                received.insert(received.end(), buf.begin(), buf.begin() + n);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                CloseConnection();
                print("connection closed");
            }
        }
        if (listen_ready) {
            const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                if (conn_fd_ >= 0) {
                    CloseConnection();
                    print("connection closed");
                }
                const int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                conn_fd_ = fd;
                print("connection open");
            }
        }
        return true;
    }

    void Write(std::span<const uint8_t> octets, const PrintLine& print) override {
        size_t done = 0;
        while (conn_fd_ >= 0 && done < octets.size()) {
            const ssize_t n = ::send(conn_fd_, octets.data() + done, octets.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{conn_fd_, POLLOUT, 0};
                ::poll(&p, 1, 100);
            } else {
                CloseConnection();
                print("connection closed");
            }
        }
    }

    bool Drop(int64_t refuse_ms, int64_t now_ms, const PrintLine& print) override {
        // The listener closes first: a master that sees its connection end and reconnects at once must find the
        // port already closed.
        if (refuse_ms > 0 && listen_fd_ >= 0) {
            ::close(listen_fd_);
            listen_fd_ = -1;
            reopen_at_ = now_ms + refuse_ms;
        }
        if (conn_fd_ >= 0) {
            CloseConnection();
            print("connection closed");
        }
        return true;
    }

    int64_t NextDeadline() const override { return listen_fd_ < 0 ? reopen_at_ : -1; }
    bool Connected() const override { return conn_fd_ >= 0; }

private:
    void CloseConnection() {
        if (conn_fd_ >= 0) ::close(conn_fd_);
        conn_fd_ = -1;
    }

    std::string text_;
    in_addr address_{};
    int listen_fd_ = -1;
    int conn_fd_ = -1;
    int port_ = 0;
    int64_t reopen_at_ = -1;
};

}  // namespace

std::unique_ptr<Endpoint> ListenTcp(const std::string& address, int port) {
    return std::make_unique<TcpLine>(address, port);
}

}  // namespace iec::sim
