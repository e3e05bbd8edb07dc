#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace iec {

std::optional<int32_t> ParseInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0) return std::nullopt;
        v = v * base + d;
        if (v > (int64_t{1} << 32)) return std::nullopt;
    }
    if (base == 16 && !neg && v <= 0xFFFFFFFF) return static_cast<int32_t>(static_cast<uint32_t>(v));
    if (neg) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
}

std::optional<double> ParseReal(std::string_view s, char separator) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    std::string t;
    t.reserve(e - b);
    bool neg = false;
    size_t i = b;
    if (i < e && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    bool digits = false, point = false, exp = false;
    for (; i < e; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            t += c;
        } else if (c == separator && !point && !exp) {
            point = true;
            t += '.';
        } else if ((c == 'e' || c == 'E') && digits && !exp) {
            exp = true;
            t += 'e';
            if (i + 1 < e && (s[i + 1] == '+' || s[i + 1] == '-')) t += s[++i];
            if (i + 1 >= e) return std::nullopt;  // an exponent needs digits
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return neg ? -v : v;
}

std::string FormatReal(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    if (value == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14E", value);  // d.ddddddddddddddE±xx: 15 significant digits
    std::string s(buf);
    const size_t epos = s.find('E');
    const int exp10 = std::atoi(s.c_str() + epos + 1);
    const bool neg = s[0] == '-';
    std::string mant = s.substr(neg ? 1 : 0, epos - (neg ? 1 : 0));  // "d.dddd"
    std::string digits = mant.substr(0, 1) + mant.substr(2);      // 15 digits
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = neg ? "-" : "";
    if (exp10 < -5 || exp10 >= 15) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exp10);
        return out;
    }
    if (exp10 < 0) {
        out += "0." + std::string(static_cast<size_t>(-exp10 - 1), '0') + digits;
    } else {
        const size_t int_len = static_cast<size_t>(exp10) + 1;
        if (digits.size() <= int_len) {
            out += digits + std::string(int_len - digits.size(), '0');
        } else {
            out += digits.substr(0, int_len) + "." + digits.substr(int_len);
        }
    }
    return out;
}

}  // namespace iec
