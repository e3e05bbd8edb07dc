#include "opcua/server/tcp_runner.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
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

// The few socket calls that differ between Winsock and POSIX.
#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
bool Retry() {
    const int e = WSAGetLastError();
    return e == WSAEWOULDBLOCK || e == WSAEINTR;
}
std::string LastError() { return "socket error " + std::to_string(WSAGetLastError()); }
void SetNonBlocking(Socket s) {
    u_long one = 1;
    ioctlsocket(s, FIONBIO, &one);
}
int PollSockets(std::vector<pollfd>& fds, int ms) { return WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), ms); }
long Send(Socket s, const uint8_t* data, size_t size) {
    return send(s, reinterpret_cast<const char*>(data), static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
}
long Recv(Socket s, uint8_t* data, size_t size) {
    return recv(s, reinterpret_cast<char*>(data), static_cast<int>(size), 0);
}
// Winsock is initialised for as long as a server runs.
struct SocketLibrary {
    SocketLibrary() { ok = WSAStartup(MAKEWORD(2, 2), &data) == 0; }
    ~SocketLibrary() {
        if (ok) WSACleanup();
    }
    WSADATA data{};
    bool ok = false;
};
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
bool Retry() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
std::string LastError() { return std::strerror(errno); }
void SetNonBlocking(Socket s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL, 0) | O_NONBLOCK); }
int PollSockets(std::vector<pollfd>& fds, int ms) { return poll(fds.data(), fds.size(), ms); }
long Send(Socket s, const uint8_t* data, size_t size) { return send(s, data, size, MSG_NOSIGNAL); }
long Recv(Socket s, uint8_t* data, size_t size) { return recv(s, data, size, 0); }
struct SocketLibrary {
    bool ok = true;
};
#endif

struct Connection {
    Socket fd = kNoSocket;
    uint32_t id = 0;
    std::vector<uint8_t> pending;  // output the socket did not take yet
};

Socket OpenListener(uint16_t port, std::string& error) {
    Socket fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd == kNoSocket) {
        error = LastError();
        return kNoSocket;
    }
    int one = 1;
#ifdef _WIN32
    // Windows lets SO_REUSEADDR take a port another program listens on; refuse to share it instead.
    setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
#else
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        error = LastError();
        CloseSocket(fd);
        return kNoSocket;
    }
    SetNonBlocking(fd);
    return fd;
}

// Writes what the socket takes; false when the peer is gone.
bool Flush(Connection& c) {
    size_t sent = 0;
    bool alive = true;
    while (sent < c.pending.size()) {
        const long n = Send(c.fd, c.pending.data() + sent, c.pending.size() - sent);
        if (n < 0) {
            alive = Retry();
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
    const SocketLibrary sockets;
    if (!sockets.ok) {
        error = LastError();
        return -1;
    }
    const Socket listener = OpenListener(port, error);
    if (listener == kNoSocket) return -1;
    std::map<Socket, Connection> connections;
    std::vector<uint8_t> buffer(kReadChunk);
    std::vector<pollfd> fds;
    while (running.load()) {
        fds.clear();
        fds.push_back({listener, POLLIN, 0});
        for (auto& [fd, c] : connections) {
            fds.push_back({fd, static_cast<short>(POLLIN | (c.pending.empty() ? 0 : POLLOUT)), 0});
        }
        PollSockets(fds, kPollMs);
        Now now = ClockNow();

        if (fds[0].revents & POLLIN) {
            const Socket fd = accept(listener, nullptr, nullptr);
            if (fd != kNoSocket) {
                uint32_t id = server.Connect(now);
                if (id == 0) {
                    CloseSocket(fd);
                } else {
                    SetNonBlocking(fd);
                    int one = 1;
                    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
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
                const long n = Recv(c.fd, buffer.data(), buffer.size());
                if (n > 0) {
                    server.Receive(c.id, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n)), now);
                } else if (n == 0 || !Retry()) {
                    alive = false;
                }
            }
            if (!alive) {
                server.Disconnect(c.id);
                CloseSocket(c.fd);
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
                CloseSocket(c.fd);
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& [fd, c] : connections) {
        server.Disconnect(c.id);
        CloseSocket(fd);
    }
    CloseSocket(listener);
    return 0;
}

}  // namespace iec::ua
