#include "ui/name_check.h"

#include "model/text_routines.h"
#include "platform/cp1251.h"

namespace iec {
namespace {

// Length of the UTF-8 sequence that starts with this octet (1 for a stray octet, which then fails the check).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool Control(std::string_view character) {
    const auto b0 = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) return b0 < 0x20 || b0 == 0x7F;
    // U+0080..U+009F: C1 controls (Windows-1251 keeps 0x98 as one of them).
    return character.size() == 2 && b0 == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

std::string Quoted(std::string_view character) { return "«" + std::string(character) + "»"; }

}  // namespace

std::string Cp1251Problem(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t len = std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
        const std::string_view character = text.substr(i, len);
        if (!IsValidUtf8(character)) return "недопустимая последовательность байтов";
        if (Control(character)) return "управляющий символ (перевод строки, табуляция) недопустим";
        if (Cp1251ToUtf8(Utf8ToCp1251(character)) != character) {
            return "символ " + Quoted(character) + " не представим в кодировке Windows-1251";
        }
        i += len;
    }
    return {};
}

std::string NameProblem(std::string_view name, NameUse use) {
    if (use == NameUse::Station && TrimText(name).empty()) return "имя не задано";
    if (std::string why = Cp1251Problem(name); !why.empty()) return why;
    const std::string_view forbidden = use == NameUse::Station ? ",\"" : "\"";
    if (const size_t at = name.find_first_of(forbidden); at != std::string_view::npos) {
        return "символ " + Quoted(name.substr(at, 1)) + " в имени недопустим";
    }
    return {};
}

}  // namespace iec
