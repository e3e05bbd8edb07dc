// The converter's TCP connection through Winsock: a non-blocking socket waited on with select, which (unlike
// WSAPoll on older systems) reports a refused connect.
#include "platform/tcp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/wide_text.h"

namespace iec {
namespace {

// Winsock is started once for the process and stays started: sockets live until the program ends.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// Waits until the socket is ready for the given set; false on time-out, error or a raised wake signal. The wait
// is cut in slices so that a stop request (which has no descriptor here) ends it within one slice.
bool WaitFor(SOCKET s, bool for_write, int timeout_ms, const WakeSignal* wake, bool* failed = nullptr) {
    constexpr int kSliceMs = 50;
    if (failed) *failed = false;
    for (int left = timeout_ms;;) {
        if (wake != nullptr && wake->Raised()) return false;
        const int slice = left < kSliceMs ? left : kSliceMs;
        fd_set ready;
        fd_set problems;
        FD_ZERO(&ready);
        FD_ZERO(&problems);
        FD_SET(s, &ready);
        FD_SET(s, &problems);
        timeval tv{slice / 1000, (slice % 1000) * 1000};
        const int n = ::select(0, for_write ? nullptr : &ready, for_write ? &ready : nullptr, &problems, &tv);
        if (n != 0) {
            if (failed) *failed = n > 0 && FD_ISSET(s, &problems);
            return n > 0 && FD_ISSET(s, &ready);
        }
        left -= slice;
        if (left <= 0) return false;
    }
}

}  // namespace

TcpClient::~TcpClient() { Disconnect(); }

bool TcpClient::Connected() const { return socket_ != INVALID_SOCKET; }

std::string TcpClient::Connect(const std::string& host, uint16_t port, int timeout_ms) {
    Disconnect();
    if (!WinsockStarted()) return "Winsock is not available";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list); rc != 0) {
        return "cannot resolve " + host + ": " + SystemErrorText(static_cast<unsigned long>(rc));
    }
    std::string why = "no address for " + host;
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        u_long non_blocking = 1;
        ::ioctlsocket(s, FIONBIO, &non_blocking);
        bool ok = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
        int error = ok ? 0 : ::WSAGetLastError();
        if (!ok && error == WSAEWOULDBLOCK) {
            bool failed = false;
            if (WaitFor(s, true, timeout_ms, wake_, &failed)) {
                ok = true;
            } else if (failed) {
                int so_error = 0;
                int len = sizeof so_error;
                ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &len);
                error = so_error != 0 ? so_error : WSAECONNREFUSED;
            } else {
                error = WSAETIMEDOUT;
            }
        }
        if (ok) {
            const BOOL one = TRUE;
            ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
            socket_ = s;
            ::freeaddrinfo(list);
            return {};
        }
        why = "cannot connect to " + host + ":" + service + ": " + SystemErrorText(static_cast<unsigned long>(error));
        ::closesocket(s);
    }
    ::freeaddrinfo(list);
    return why;
}

void TcpClient::Disconnect() {
    if (socket_ != INVALID_SOCKET) ::closesocket(static_cast<SOCKET>(socket_));
    socket_ = INVALID_SOCKET;
}

bool TcpClient::Write(std::string_view bytes) {
    if (socket_ == INVALID_SOCKET) return false;
    const SOCKET s = static_cast<SOCKET>(socket_);
    size_t done = 0;
    while (done < bytes.size()) {
        const int n = ::send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) {
            if (!WaitFor(s, true, 4000, wake_)) {
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
    if (socket_ == INVALID_SOCKET) {
        if (error) *error = true;
        return out;
    }
    const SOCKET s = static_cast<SOCKET>(socket_);
    if (!WaitFor(s, false, timeout_ms, wake_)) return out;
    char buf[4096];
    for (;;) {
        const int n = ::recv(s, buf, sizeof buf, 0);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            if (out.size() >= 65536) break;
            continue;
        }
        if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) break;
        // The converter closed the connection (or it broke): what came before it still counts.
        Disconnect();
        if (error) *error = true;
        break;
    }
    return out;
}

}  // namespace iec
