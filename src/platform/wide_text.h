// Windows only: the system's UTF-16 text and its error messages, as the UTF-8 text the program keeps everywhere else.
#pragma once

#include <string>
#include <string_view>

namespace iec {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's message for an error code of GetLastError or WSAGetLastError, with the code ("... (error 5)").
std::string SystemErrorText(unsigned long code);

}  // namespace iec
