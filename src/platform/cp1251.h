// Windows-1251 on disk and on the wire, UTF-8 inside the program.
#pragma once

#include <string>
#include <string_view>

namespace iec {

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters that Windows-1251 cannot hold, and malformed UTF-8 sequences, become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

bool IsValidUtf8(std::string_view text);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
bool StartsWithUtf8Bom(std::string_view text);

// Text of a file as users leave it: UTF-8 when it starts with a byte-order mark and is valid UTF-8 (the mark is
// dropped), else Windows-1251. The result is UTF-8.
std::string DecodeFileText(std::string_view bytes);

}  // namespace iec
