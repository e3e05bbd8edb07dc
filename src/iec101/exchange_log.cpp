#include "iec101/exchange_log.h"

#include <cstdio>
#include <fstream>

#include "platform/cp1251.h"

namespace iec {

std::string BytesToHex(std::string_view octets) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(octets.size() * 3);
    for (const char c : octets) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        out += ' ';
    }
    return out;
}

std::string ExchangeLog::TimeOfDay() const {
    const DateParts p = clock_.Now().Decode();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return buf;
}

void ExchangeLog::Write(const std::string& line) const {
    if (!enabled()) return;
    if (tap_) tap_(line);
    if (file_.empty()) return;
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    if (!out) return;
    out << Utf8ToCp1251(line) << "\r\n";
}

}  // namespace iec
