#include "iec101/tcp_station_line.h"

namespace iec {

void TcpStationLine::Begin() {
    client_.Connect(host_, port_, kConnectTimeoutMs);
    Date_TimeLastOprosGood = ctx_.clock.Now();
}

void TcpStationLine::WritePort(std::string_view octets) {
    if (ctx_.redundancy.ReserveIdle()) {
        client_.Disconnect();
        return;
    }
    if (client_.Connected()) {
        if (client_.Write(octets)) {
            Date_TimeLastOprosGood = ctx_.clock.Now();
            pauser_.Pause(10);
        } else {
            log_.Lazy([&] { return log_.TimeOfDay() + "  " + host_ + " ошибка отправки байт " + BytesToHex(octets); });
            pauser_.Pause(1000);
        }
    }
    log_.Lazy([&] { return log_.Time() + " -> " + BytesToHex(octets); });
}

std::string TcpStationLine::ReadBurst(int timeout_ms) {
    bool error = false;
    std::string got = client_.ReadAvailable(timeout_ms, &error);
    if (error) log_.Write(log_.TimeOfDay() + " ошибка при чтении пакета от " + host_);
    return got;
}

std::string TcpStationLine::ReadPort() {
    if (ctx_.redundancy.ReserveIdle()) {
        client_.Disconnect();
        return {};
    }
    std::string sr;
    int T = ctx_.Timeout_Merc230.load();
    if (T < 20) T = 20;
    pauser_.Pause(T + 8);
    if (client_.Connected()) {
        sr = ReadBurst(kReadTimeoutMs);
        log_.Lazy([&] { return log_.Time() + " <-- " + "  " + BytesToHex(sr); });
        // The single control character 0xE5 is a whole answer; only other short pieces wait for their rest.
        const bool single_char = sr.size() == 1 && static_cast<uint8_t>(sr[0]) == 0xE5;
        if (!sr.empty() && sr.size() <= 3 && !single_char && client_.Connected()) {
            log_.Lazy([&] { return log_.Time() + " принят неполный пакет " + BytesToHex(sr); });
            pauser_.Pause(301);
            sr += ReadBurst(kReadTimeoutMs);
        }
    } else {
        pauser_.Pause(800);
        log_.Write(log_.TimeOfDay() + " нет соединения c " + host_);
        if (ctx_.clock.Now() - Date_TimeLastOprosGood > 20 * DateTime::kOneSecond) {
            log_.Write(log_.TimeOfDay() + " пробую убрать соединение  " + host_);
            client_.Disconnect();
            pauser_.Pause(4000);
            log_.Write(log_.TimeOfDay() + " пробую соединиться с  " + host_);
            client_.Connect(host_, port_, kConnectTimeoutMs);
            ++reconnects_;
            Date_TimeLastOprosGood = ctx_.clock.Now();
            log_.Write(log_.TimeOfDay() + " Возможно соединение установлено  " + host_);
        }
    }
    log_.Lazy([&] { return log_.Time() + " <- " + BytesToHex(sr); });
    return sr;
}

}  // namespace iec
