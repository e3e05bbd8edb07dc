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
    // wake, when given, ends a read or write at once when the thread is stopped.
    SerialStationLine(std::string port, const PollingContext& ctx, const ExchangeLog& log, Pauser& pauser,
                      const WakeSignal* wake = nullptr)
        : port_name_(std::move(port)), ctx_(ctx), log_(log), pauser_(pauser) {
        port_.SetWake(wake);
    }

    bool OpenPort() override;
    bool SetupPort(TIecDeviceVV& row) override;
    void WritePort(std::string_view octets) override;
    std::string ReadPort() override;
    void ClosePort() override { port_.Close(); }

    // Times the line settings were applied (or tried) since the start.
    int Reconfigurations() const { return reconfigurations_; }
    const std::string& AppliedSettings() const { return Tekush_Config_string_ComPort; }
    // Times the port was found dead and closed, and opened again.
    int Losses() const { return losses_; }
    int Reopens() const { return reopens_; }

private:
    // The device failed: the port is closed, to be opened again by the next OpenPort.
    void Lost(const char* what);
    std::string port_name_;
    const PollingContext& ctx_;
    const ExchangeLog& log_;
    Pauser& pauser_;
    SerialPort port_;
    std::string Tekush_Config_string_ComPort;
    int reconfigurations_ = 0;
    int losses_ = 0;
    int reopens_ = 0;
    bool was_open_ = false;   // the port was open once: a later open is a reopen
    bool down_logged_ = false;  // the failure was logged; the next line is the reopen
};

}  // namespace iec
