#include "platform/program_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace iec {

std::filesystem::path ExecutablePath() {
#ifdef _WIN32
    wchar_t buf[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    if (n == 0 || n >= std::size(buf)) return {};
    return std::filesystem::path(std::wstring(buf, n));
#else
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return p;
#endif
}

std::filesystem::path TakeProgramFolder(std::vector<std::string>& args, std::string& error) {
    std::filesystem::path chosen;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dir") {
            if (i + 1 >= args.size()) {
                error = "--dir needs a folder";
                args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
            chosen = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            --i;
        } else if (args[i].rfind("--dir=", 0) == 0) {
            chosen = args[i].substr(6);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        }
    }
    if (!chosen.empty()) {
        std::error_code ec;
        auto abs = std::filesystem::absolute(chosen, ec);
        return ec ? chosen : abs.lexically_normal();
    }
    return ExecutablePath().parent_path();
}

}  // namespace iec
