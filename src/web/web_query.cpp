#include "web/web_query.h"

#include <algorithm>

#include "platform/cp1251.h"

namespace iec {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AddForm(std::vector<std::string>& forms, std::string form) {
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(std::move(form));
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text, bool plus_is_space) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = HexDigit(text[i + 1]);
            const int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c == '+' && plus_is_space) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

WebQuery::WebQuery(std::string_view raw) : raw_(raw) {
    forms_.push_back(raw_);
    const std::optional<std::string> decoded = PercentDecode(raw_, true);
    if (!decoded) return;
    if (IsValidUtf8(*decoded)) AddForm(forms_, *decoded);
    AddForm(forms_, Cp1251ToUtf8(*decoded));
}

bool WebQuery::Is(std::string_view text) const {
    return std::any_of(forms_.begin(), forms_.end(), [&](const std::string& f) { return f == text; });
}

bool WebQuery::Is(std::string_view key, std::string_view value) const {
    return std::any_of(forms_.begin(), forms_.end(), [&](const std::string& f) {
        return f.size() == key.size() + 1 + value.size() && f.starts_with(key) && f[key.size()] == '=' &&
               std::string_view(f).substr(key.size() + 1) == value;
    });
}

}  // namespace iec
