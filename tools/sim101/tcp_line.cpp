#include "sim101/tcp_line.h"

#include <array>
#include <stdexcept>

#include "sim101/socket_compat.h"

namespace iec::sim {
namespace {

SocketFd OpenListener(in_addr address, int port) {
    const SocketFd fd = NewStreamSocket();
    if (fd == kNoSocket) return kNoSocket;
#ifndef _WIN32
    // A restarted simulator takes its port back at once; on Windows the option would let two listeners share it.
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr = address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
        CloseSocket(fd);
        return kNoSocket;
    }
    return fd;
}

class TcpLine final : public Endpoint {
public:
    TcpLine(const std::string& address, int port) : text_(address) {
        if (::inet_pton(AF_INET, address.c_str(), &address_) != 1)
            throw std::runtime_error("not an IPv4 address: " + address);
        listen_fd_ = OpenListener(address_, port);
        if (listen_fd_ == kNoSocket) {
            throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                                     SocketErrorText());
        }
        sockaddr_in a{};
        socklen_t len = sizeof a;
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~TcpLine() override {
        CloseConnection();
        if (listen_fd_ != kNoSocket) CloseSocket(listen_fd_);
    }
    TcpLine(const TcpLine&) = delete;
    TcpLine& operator=(const TcpLine&) = delete;

    std::string ReadyText() const override { return "ready tcp " + text_ + " " + std::to_string(port_); }

    void AddPollFds(std::vector<pollfd>& fds) const override {
        if (listen_fd_ != kNoSocket) fds.push_back({listen_fd_, POLLIN, 0});
        if (conn_fd_ != kNoSocket) fds.push_back({conn_fd_, POLLIN, 0});
    }

    bool Service(const std::vector<pollfd>& fds, std::vector<uint8_t>& received, int64_t now_ms,
                 const PrintLine& print) override {
        if (listen_fd_ == kNoSocket && reopen_at_ >= 0 && now_ms >= reopen_at_) {
            listen_fd_ = OpenListener(address_, port_);
            reopen_at_ = listen_fd_ != kNoSocket ? -1 : now_ms + 100;
        }
        bool conn_ready = false;
        bool listen_ready = false;
        for (const auto& p : fds) {
            if (p.revents == 0) continue;
            if (p.fd == conn_fd_ && conn_fd_ != kNoSocket) conn_ready = true;
            if (p.fd == listen_fd_ && listen_fd_ != kNoSocket) listen_ready = true;
        }
        if (conn_ready) {
            std::array<uint8_t, 4096> buf{};
            const auto n = ::recv(conn_fd_, reinterpret_cast<char*>(buf.data()), static_cast<int>(buf.size()), 0);
            if (n > 0) {
                received.insert(received.end(), buf.begin(), buf.begin() + n);
            } else if (n == 0 || !SocketWouldBlock()) {
                CloseConnection();
                print("connection closed");
            }
        }
        if (listen_ready) {
            const SocketFd fd = AcceptConnection(listen_fd_);
            if (fd != kNoSocket) {
                if (conn_fd_ != kNoSocket) {
                    CloseConnection();
                    print("connection closed");
                }
                const int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
                conn_fd_ = fd;
                print("connection open");
            }
        }
        return true;
    }

    void Write(std::span<const uint8_t> octets, const PrintLine& print) override {
        size_t done = 0;
        while (conn_fd_ != kNoSocket && done < octets.size()) {
            const auto n = ::send(conn_fd_, reinterpret_cast<const char*>(octets.data() + done),
                                  static_cast<int>(octets.size() - done), kSendFlags);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && SocketWouldBlock()) {
                pollfd p{conn_fd_, POLLOUT, 0};
                PollSockets(&p, 1, 100);
            } else {
                CloseConnection();
                print("connection closed");
            }
        }
    }

    bool Drop(int64_t refuse_ms, int64_t now_ms, const PrintLine& print) override {
        // The listener closes first: a master that sees its connection end and reconnects at once must find the
        // port already closed.
        if (refuse_ms > 0 && listen_fd_ != kNoSocket) {
            CloseSocket(listen_fd_);
            listen_fd_ = kNoSocket;
            reopen_at_ = now_ms + refuse_ms;
        }
        if (conn_fd_ != kNoSocket) {
            CloseConnection();
            print("connection closed");
        }
        return true;
    }

    int64_t NextDeadline() const override { return listen_fd_ == kNoSocket ? reopen_at_ : -1; }
    bool Connected() const override { return conn_fd_ != kNoSocket; }

private:
    void CloseConnection() {
        if (conn_fd_ != kNoSocket) CloseSocket(conn_fd_);
        conn_fd_ = kNoSocket;
    }

    std::string text_;
    in_addr address_{};
    SocketFd listen_fd_ = kNoSocket;
    SocketFd conn_fd_ = kNoSocket;
    int port_ = 0;
    int64_t reopen_at_ = -1;
};

}  // namespace

std::unique_ptr<Endpoint> ListenTcp(const std::string& address, int port) {
    return std::make_unique<TcpLine>(address, port);
}

}  // namespace iec::sim
