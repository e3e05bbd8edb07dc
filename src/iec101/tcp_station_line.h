// A polling thread's TCP connection to a serial-to-Ethernet converter. A lost connection is noticed by the reads
// and re-established at most once per 20 s, counted from the last successful send or reconnect attempt.
#pragma once

#include <cstdint>
#include <string>

#include "iec101/exchange_log.h"
#include "iec101/polling_context.h"
#include "iec101/station_line.h"
#include "platform/pauser.h"
#include "platform/tcp_client.h"

namespace iec {

class TcpStationLine final : public StationLine {
public:
    static constexpr int kReadTimeoutMs = 4000;
    static constexpr int kConnectTimeoutMs = 10000;

    // wake, when given, ends a connect, read or write at once when the thread is stopped.
    TcpStationLine(std::string host, uint16_t port, const PollingContext& ctx, const ExchangeLog& log,
                   Pauser& pauser, const WakeSignal* wake = nullptr)
        : host_(std::move(host)), port_(port), ctx_(ctx), log_(log), pauser_(pauser) {
        client_.SetWake(wake);
    }

    void Begin() override;
    void WritePort(std::string_view octets) override;
    std::string ReadPort() override;
    void ClosePort() override { client_.Disconnect(); }

    bool Connected() const { return client_.Connected(); }
    int Reconnects() const { return reconnects_; }

private:
    std::string ReadBurst(int timeout_ms);

    std::string host_;
    uint16_t port_;
    const PollingContext& ctx_;
    const ExchangeLog& log_;
    Pauser& pauser_;
    TcpClient client_;
    DateTime Date_TimeLastOprosGood;
    int reconnects_ = 0;
};

}  // namespace iec
