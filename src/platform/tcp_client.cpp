#include "platform/tcp_client.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace iec {

TcpClient::~TcpClient() { Disconnect(); }

bool TcpClient::Connected() const { return fd_ >= 0; }

std::string TcpClient::Connect(const std::string& host, uint16_t port, int timeout_ms) {
    Disconnect();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list); rc != 0) {
        return "cannot resolve " + host + ": " + ::gai_strerror(rc);
    }
    std::string why = "no address for " + host;
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            const int ready = PollOrWake(fd, POLLOUT, timeout_ms, wake_);
            if (ready > 0) {
                int err = 0;
                socklen_t len = sizeof err;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
                rc = err == 0 ? 0 : -1;
                errno = err;
            } else {
                errno = ready == 0 ? ETIMEDOUT : EINTR;
                rc = -1;
            }
        }
        if (rc == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            fd_ = fd;
            ::freeaddrinfo(list);
            return {};
        }
        why = "cannot connect to " + host + ":" + service + ": " + std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(list);
    return why;
}

void TcpClient::Disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TcpClient::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (PollOrWake(fd_, POLLOUT, 4000, wake_) <= 0) {
                Disconnect();
                return false;
            }
        } else {
            Disconnect();
            return false;
        }
    }
    return true;
}

std::string TcpClient::ReadAvailable(int timeout_ms, bool* error) {
    std::string out;
    if (error) *error = false;
    if (fd_ < 0) {
        if (error) *error = true;
        return out;
    }
    if (PollOrWake(fd_, POLLIN, timeout_ms, wake_) <= 0) return out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            if (out.size() >= 65536) break;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n < 0 && errno == EINTR) continue;
        // The converter closed the connection (or it broke): what came before it still counts.
        Disconnect();
        if (error) *error = true;
        break;
    }
    return out;
}

}  // namespace iec
