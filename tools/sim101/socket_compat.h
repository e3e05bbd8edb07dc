// The few socket calls that are spelled differently by Winsock, so that one TCP endpoint serves both systems.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <string>

namespace iec::sim {

#ifdef _WIN32
using SocketFd = SOCKET;
inline constexpr SocketFd kNoSocket = INVALID_SOCKET;
inline constexpr int kSendFlags = 0;

inline void CloseSocket(SocketFd s) { ::closesocket(s); }
inline void MakeNonBlocking(SocketFd s) {
    u_long one = 1;
    ::ioctlsocket(s, FIONBIO, &one);
}
// Winsock is started once and stays started for the process.
inline SocketFd NewStreamSocket() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) return kNoSocket;
    const SocketFd s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s != kNoSocket) MakeNonBlocking(s);
    return s;
}
inline SocketFd AcceptConnection(SocketFd listener) {
    const SocketFd s = ::accept(listener, nullptr, nullptr);
    if (s != kNoSocket) MakeNonBlocking(s);
    return s;
}
inline bool SocketWouldBlock() {
    const int e = ::WSAGetLastError();
    return e == WSAEWOULDBLOCK || e == WSAEINTR;
}
inline int PollSockets(pollfd* fds, size_t n, int timeout_ms) {
    return ::WSAPoll(fds, static_cast<ULONG>(n), timeout_ms);
}
inline std::string SocketErrorText() { return "error " + std::to_string(::WSAGetLastError()); }
#else
using SocketFd = int;
inline constexpr SocketFd kNoSocket = -1;
inline constexpr int kSendFlags = MSG_NOSIGNAL;

inline void CloseSocket(SocketFd s) { ::close(s); }
inline SocketFd NewStreamSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); }
inline SocketFd AcceptConnection(SocketFd listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}
inline bool SocketWouldBlock() { return errno == EAGAIN || errno == EINTR; }
inline int PollSockets(pollfd* fds, size_t n, int timeout_ms) { return ::poll(fds, n, timeout_ms); }
inline std::string SocketErrorText() { return std::strerror(errno); }
#endif

}  // namespace iec::sim
