// A polling thread's serial line: the port is opened by name, configured for each station only when its speed or
// parity differs from what was applied last, and read with time-outs derived from the speed and Timeout_Merc230.
#pragma once

#include <string>

#include "iec101/exchange_log.h"
#include "iec101/polling_context.h"
#include "iec101/station_line.h"
#include "platform/pauser.h"
#include "platform/serial_port.h"

namespace iec {

// Read and write time-outs of a station at this speed, with T = Timeout_Merc230 already raised to at least 20.
SerialReadTimeouts SerialTimeoutsFor(int baud, int T);

class SerialStationLine final : public StationLine {
public:
    SerialStationLine(std::string port, const PollingContext& ctx, const ExchangeLog& log, Pauser& pauser)
        : port_name_(std::move(port)), ctx_(ctx), log_(log), pauser_(pauser) {}

    bool OpenPort() override;
    bool SetupPort(TIecDeviceVV& row) override;
    void WritePort(std::string_view octets) override;
    std::string ReadPort() override;
    void ClosePort() override { port_.Close(); }

    // Times the line settings were applied (or tried) since the start.
    int Reconfigurations() const { return reconfigurations_; }
    const std::string& AppliedSettings() const { return Tekush_Config_string_ComPort; }

private:
    std::string port_name_;
    const PollingContext& ctx_;
    const ExchangeLog& log_;
    Pauser& pauser_;
    SerialPort port_;
    std::string Tekush_Config_string_ComPort;
    int reconfigurations_ = 0;
};

}  // namespace iec
