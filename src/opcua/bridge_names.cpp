#include "opcua/bridge_names.h"

#include <cmath>
#include <ctime>

#include "platform/cp1251.h"

namespace iec {
namespace {

// Upper-case А..Я (and Ё) to Latin, in the order of the alphabet.
constexpr char kUpper[] = "ABVGDEGZIIKLMNOPRSTYFHCCSSIIIEUA";  // А..Я without Ё
constexpr const char* kPunctuation = " !@#$%^&*()-=+\\|/,<>?:;'\"`";

}  // namespace

std::string Translit_Name(const std::string& text, bool keep_points) {
    // Work on Windows-1251 octets, where every Cyrillic letter is one octet.
    std::string s = Utf8ToCp1251(text);
    if (!s.empty() && s[0] >= '0' && s[0] <= '9') s[0] = 'n';
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0xC0 && c <= 0xDF) {
            out += kUpper[c - 0xC0];
        } else if (c >= 0xE0) {
            out += static_cast<char>(kUpper[c - 0xE0] - 'A' + 'a');
        } else if (c == 0xA8) {  // Ё
            out += 'E';
        } else if (c == 0xB8) {  // ё
            out += 'e';
        } else if (ch == '.' && !keep_points) {
            out += '_';
        } else if (ch != '\0' && std::string_view(kPunctuation).find(ch) != std::string_view::npos) {
            out += '_';
        } else {
            out += ch;
        }
    }
    return Cp1251ToUtf8(out);
}

LowBytes ToLowBytes(const std::string& utf8) {
    LowBytes out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        // Lead octet: the sequence's length; a stray continuation or bad lead octet stands for itself.
        size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
        if (i + len > utf8.size()) len = 1;
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(utf8[i + k]);
            if ((d & 0xC0) != 0x80) {
                len = 1;
                cp = c;
                break;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp <= 0xFF) {
            out.bytes += static_cast<char>(cp);
        } else {
            out.bytes += '_';
            out.latin1 = false;
        }
        ++out.characters;
        i += len;
    }
    return out;
}

int64_t UA_Time(DateTime x, DateTime now, int bias_minutes) {
    if (x.days() < 3.0) x = now;
    const DateTime u = x + bias_minutes * DateTime::kOneMinute;
    constexpr double kUnixEpoch = 25569.0;
    const int64_t total_ms = std::llround((u.days() - kUnixEpoch) * 86400000.0);
    const int64_t seconds = total_ms / 1000;  // whole seconds, toward zero
    return seconds * 10000000 + static_cast<int64_t>(x.Decode().msec) * 10000 + 116444736000000000LL;
}

}  // namespace iec
