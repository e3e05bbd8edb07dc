#include "iec101/serial_station_line.h"

#include <cmath>

namespace iec {
namespace {

// Rounded to the nearest integer, halves to even, as the time-out table has always been computed.
int RoundHalfEven(double x) { return static_cast<int>(std::nearbyint(x)); }

}  // namespace

SerialReadTimeouts SerialTimeoutsFor(int baud, int T) {
    if (T >= 700) return {0, T, 1000, 1000};
    if (baud < 1) baud = 300;
    const double b = baud;
    const int interval = RoundHalfEven(192000.0 / b) + T;
    const int total = RoundHalfEven(220.0 / b * 1000.0) + RoundHalfEven(9600.0 / b) * 150 + T + 5;
    return {interval, total};
}

bool SerialStationLine::OpenPort() {
    if (port_.IsOpen()) return true;
    const std::string why = port_.Open(port_name_);
    if (!why.empty()) {
        // One line per state change: a port that stays away for hours does not fill the log with attempts.
        if (!down_logged_) {
            log_.Write(log_.TimeOfDay() + " порт " + port_name_ + " не открыт: " + why);
            down_logged_ = true;
        }
        pauser_.Pause(1000);
        return false;
    }
    if (was_open_) {
        ++reopens_;
        log_.Write(log_.TimeOfDay() + " порт " + port_name_ + " открыт снова");
    }
    was_open_ = true;
    down_logged_ = false;
    // A port just opened has nobody's settings: whatever was applied before (or tried while it was away) is
    // applied again for the next station.
    Tekush_Config_string_ComPort.clear();
    return true;
}

void SerialStationLine::Lost(const char* what) {
    port_.Close();
    ++losses_;
    if (!down_logged_) {
        log_.Write(log_.TimeOfDay() + " порт " + port_name_ + " потерян (" + what + "), закрыт");
        down_logged_ = true;
    }
}

bool SerialStationLine::SetupPort(TIecDeviceVV& row) {
    const std::string wanted = "baud=" + std::to_string(row.BaudRate) + " parity=" + row.Parity + " data=8 stop=1";
    if (wanted == Tekush_Config_string_ComPort) return true;
    // The settings count as applied even when applying fails (for instance while the port is not open).
    Tekush_Config_string_ComPort = wanted;
    ++reconfigurations_;
    bool ok = true;
    if (!row.Virtual_com) {
        const char parity = row.Parity.empty() ? 'N' : row.Parity[0];
        ok = port_.ApplyLine({row.BaudRate, parity}).empty();
    }
    int T = ctx_.Timeout_Merc230.load();
    if (T < 20) {
        T = 20;
        ctx_.Timeout_Merc230.store(T);
    }
    if (T < 700 && row.BaudRate < 1) row.BaudRate = 300;  // a later pass reconfigures at 300 baud
    port_.SetTimeouts(SerialTimeoutsFor(row.BaudRate, T));
    return ok && port_.IsOpen();
}

void SerialStationLine::WritePort(std::string_view octets) {
    if (ctx_.redundancy.ReserveIdle() || !port_.IsOpen()) return;
    if (!port_.Write(octets)) Lost("ошибка записи");
    log_.Lazy([&] { return log_.Time() + " -> " + BytesToHex(octets); });
}

std::string SerialStationLine::ReadPort() {
    if (ctx_.redundancy.ReserveIdle() || !port_.IsOpen()) return {};
    bool failed = false;
    std::string sr = port_.Read(4096, &failed);
    if (failed) Lost("ошибка чтения");
    if (sr.size() >= 2000) sr.clear();
    log_.Lazy([&] { return log_.Time() + " <- " + BytesToHex(sr); });
    return sr;
}

}  // namespace iec
