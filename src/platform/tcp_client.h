// A TCP client for a serial-to-Ethernet converter: connect and read with time-outs, and a plain view of whether
// the connection is up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/wake_signal.h"

namespace iec {

class TcpClient {
public:
    TcpClient() = default;
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // A raised wake signal ends a connect, a write or a read at once (the polling thread is being stopped).
    void SetWake(const WakeSignal* wake) { wake_ = wake; }
    // Resolves the host and connects within timeout_ms; returns an empty string on success, else the reason.
    std::string Connect(const std::string& host, uint16_t port, int timeout_ms);
    void Disconnect();
    bool Connected() const;

    // Sends every octet; false (and the connection is closed) when the peer is gone.
    bool Write(std::string_view bytes);
    // Waits up to timeout_ms for the first octet, then takes every octet already received. A peer that closed the
    // connection leaves the client disconnected; `error` tells a failure from silence.
    std::string ReadAvailable(int timeout_ms, bool* error = nullptr);

private:
#ifdef _WIN32
    std::uintptr_t socket_ = ~std::uintptr_t{0};  // a SOCKET; all ones is INVALID_SOCKET
#else
    int fd_ = -1;
#endif
    const WakeSignal* wake_ = nullptr;
};

}  // namespace iec
