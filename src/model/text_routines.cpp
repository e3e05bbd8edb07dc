#include "model/text_routines.h"

#include <cstdlib>

#include "platform/number_text.h"

namespace iec {

std::string TrimText(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

bool Open_Text_File(std::fstream& f, const std::string& name, std::string_view mode, std::string& error) {
    error.clear();
    if (f.is_open()) f.close();
    f.clear();
    std::ios::openmode how;
    if (mode == "r") {
        how = std::ios::in | std::ios::binary;
    } else if (mode == "w") {
        how = std::ios::out | std::ios::trunc | std::ios::binary;
    } else if (mode == "a") {
        f.open(name, std::ios::out | std::ios::app | std::ios::binary);
        if (f.is_open()) return true;
        f.clear();
        return Open_Text_File(f, name, "w", error);
    } else {
        return false;
    }
    f.open(name, how);
    if (f.is_open()) return true;
    error = "ERROR:Не открывается файл:" + name + " mode=" + std::string(mode);
    return false;
}

std::string Strip_Quotes(std::string_view text) {
    if (text.size() > 1 && text.front() == '"' && text.back() == '"') {
        return std::string(text.substr(1, text.size() - 2));
    }
    return std::string(text);
}

int Str_To_Int_Or_Zero(std::string_view text) {
    if (text.empty()) return 0;
    if (auto v = ParseInt(text)) return *v;
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

double Str_To_Float_Sep(std::string_view text, char sep) {
    if (text.empty()) return 0;
    if (sep == '_') sep = text.find('.') != std::string_view::npos ? '.' : ',';
    if (auto v = ParseReal(text, sep)) return *v;
    throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string Get_CSV_Field(std::string_view line, int n) {
    size_t pos = 0;
    for (int k = 1;; ++k) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        const size_t semi = line.find(';', pos);
        if (k == n) return std::string(line.substr(pos, semi == std::string_view::npos ? line.npos : semi - pos));
        if (semi == std::string_view::npos || k >= n) return "0";
        pos = semi + 1;
    }
}

void Halt_Program(std::string_view) { std::exit(1); }

}  // namespace iec
