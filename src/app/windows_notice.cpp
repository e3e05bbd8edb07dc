#include "app/windows_notice.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace iec {

void ShowNotice(const std::string& text, bool error) {
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    const DWORD type = err != nullptr && err != INVALID_HANDLE_VALUE ? ::GetFileType(err) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        const std::string line = "iec101opc: " + text + "\n";
        DWORD written = 0;
        ::WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    ::MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(kApplicationTitle).c_str(),
                  MB_OK | MB_SETFOREGROUND | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace iec
