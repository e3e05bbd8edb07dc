#include "platform/ini_file.h"

#include <optional>
#include <vector>

#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "platform/number_text.h"

namespace iec {
namespace {

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

// Case folding as Windows compares names in the Cyrillic code page: Latin and Cyrillic letters.
std::string Fold(const std::string& utf8) {
    std::string s = Utf8ToCp1251(utf8);
    for (char& ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) c = static_cast<unsigned char>(c + 0x20);
        else if (c == 0xA8) c = 0xB8;  // Ё
        ch = static_cast<char>(c);
    }
    return s;
}

// A section header "[name]" gives the name; anything else gives nothing.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

// "key=value" gives the key and the raw value; comments and lines without "=" give nothing.
bool KeyValueOf(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(std::string_view(t).substr(0, eq));
    value = Trim(std::string_view(t).substr(eq + 1));
    return true;
}

std::string LoadBytes(const std::filesystem::path& path) { return ReadFileBytes(path).value_or(std::string()); }

std::optional<std::string> Lookup(const std::vector<std::string>& lines, const std::string& section,
                                  const std::string& key) {
    const std::string fs = Fold(section), fk = Fold(key);
    bool in_section = false;
    for (const auto& line : lines) {
        if (auto name = SectionOf(line)) {
            if (in_section) return std::nullopt;  // the first section of that name decides
            in_section = Fold(*name) == fs;
            continue;
        }
        std::string k, v;
        if (in_section && KeyValueOf(line, k, v) && Fold(k) == fk) {
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
                v = v.substr(1, v.size() - 2);
            }
            return v;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> IniLookup(std::string_view file_bytes, const std::string& section, const std::string& key) {
    return Lookup(SplitLines(DecodeFileText(file_bytes)), section, key);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    auto v = IniLookup(LoadBytes(path_), section, key);
    return v ? *v : def;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    auto v = IniLookup(LoadBytes(path_), section, key);
    if (!v) return def;
    auto n = ParseInt(*v);
    return n ? *n : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::KeyExists(const std::string& section, const std::string& key) const {
    return IniLookup(LoadBytes(path_), section, key).has_value();
}

std::string IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    return WriteFileAtomic(path_, IniWithKey(LoadBytes(path_), section, key, value));
}

std::string IniWithKey(std::string_view file_bytes, const std::string& section, const std::string& key,
                       const std::string& value) {
    std::vector<std::string> lines = SplitLines(DecodeFileText(file_bytes));
    const std::string fs = Fold(section), fk = Fold(key);
    const std::string entry = key + "=" + value;
    bool in_section = false;
    bool found_section = false;
    size_t insert_at = lines.size();
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (in_section) break;  // end of our section: the key was not there
            in_section = Fold(*name) == fs;
            if (in_section) {
                found_section = true;
                insert_at = i + 1;
            }
            continue;
        }
        if (!in_section) continue;
        std::string k, v;
        if (KeyValueOf(lines[i], k, v)) {
            if (Fold(k) == fk) {
                lines[i] = entry;
                done = true;
            } else {
                insert_at = i + 1;  // after the section's last key, before blank lines that part sections
            }
        } else if (!Trim(lines[i]).empty()) {
            insert_at = i + 1;
        }
    }
    if (!done) {
        if (found_section) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }
    std::string out;
    for (const auto& l : lines) out += Utf8ToCp1251(l) + "\r\n";
    return out;
}

std::string IniFile::WriteInteger(const std::string& section, const std::string& key, int value) const {
    return WriteString(section, key, std::to_string(value));
}

std::string IniFile::WriteBool(const std::string& section, const std::string& key, bool value) const {
    return WriteString(section, key, value ? "1" : "0");
}

}  // namespace iec
