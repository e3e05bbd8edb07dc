#include "opcua/server/tcp_runner.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <vector>

namespace iec::ua {

namespace {

constexpr int kPollMs = 20;
constexpr size_t kReadChunk = 65536;
// A client that stops reading must not make the server hold its notifications without bound.
constexpr size_t kMaxPendingOutput = 64 * 1024 * 1024;
// 100-ns intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

struct Connection {
    int fd = -1;
    uint32_t id = 0;
    std::vector<uint8_t> pending;  // output the socket did not take yet
};

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

int OpenListener(uint16_t port, std::string& error) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        error = std::strerror(errno);
        close(fd);
        return -1;
    }
    SetNonBlocking(fd);
    return fd;
}

// Writes what the socket takes; false when the peer is gone.
bool Flush(Connection& c) {
    size_t sent = 0;
    bool alive = true;
    while (sent < c.pending.size()) {
        ssize_t n = send(c.fd, c.pending.data() + sent, c.pending.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            alive = errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
            break;
        }
        sent += static_cast<size_t>(n);
    }
    c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<std::ptrdiff_t>(sent));
    return alive;
}

}  // namespace

Now ClockNow() {
    using namespace std::chrono;
    Now now;
    now.mono_ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    now.utc = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count() * 10 + kUnixEpochTicks;
    return now;
}

int RunTcpServer(UaServer& server, uint16_t port, const std::atomic<bool>& running, std::string& error) {
    int listener = OpenListener(port, error);
    if (listener < 0) return -1;
    std::map<int, Connection> connections;
    std::vector<uint8_t> buffer(kReadChunk);
    std::vector<pollfd> fds;
    while (running.load()) {
        fds.clear();
        fds.push_back({listener, POLLIN, 0});
        for (auto& [fd, c] : connections) {
            fds.push_back({fd, static_cast<short>(POLLIN | (c.pending.empty() ? 0 : POLLOUT)), 0});
        }
        poll(fds.data(), fds.size(), kPollMs);
        Now now = ClockNow();

        if (fds[0].revents & POLLIN) {
            int fd = accept(listener, nullptr, nullptr);
            if (fd >= 0) {
                uint32_t id = server.Connect(now);
                if (id == 0) {
                    close(fd);
                } else {
                    SetNonBlocking(fd);
                    int one = 1;
                    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    connections[fd] = Connection{fd, id, {}};
                }
            }
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            auto it = connections.find(fds[i].fd);
            if (it == connections.end()) continue;
            Connection& c = it->second;
            bool alive = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                ssize_t n = recv(c.fd, buffer.data(), buffer.size(), 0);
                if (n > 0) {
                    server.Receive(c.id, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n)), now);
                } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                    alive = false;
                }
            }
            if (!alive) {
                server.Disconnect(c.id);
                close(c.fd);
                connections.erase(it);
            }
        }
        server.Tick(now);
        for (auto it = connections.begin(); it != connections.end();) {
            Connection& c = it->second;
            auto out = server.TakeOutput(c.id);
            c.pending.insert(c.pending.end(), out.begin(), out.end());
            bool ok = Flush(c) && c.pending.size() <= kMaxPendingOutput;
            if (!ok || (server.ShouldClose(c.id) && c.pending.empty())) {
                server.Disconnect(c.id);
                close(c.fd);
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& [fd, c] : connections) {
        server.Disconnect(c.id);
        close(fd);
    }
    close(listener);
    return 0;
}

}  // namespace iec::ua
