// The Windows programs under Wine, as the Wine tests run them: in the run's Wine prefix, with their standard output and error in files, and with Windows paths for Linux ones.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace iec::test {

// The program folder unpacked from the Windows zip.
std::filesystem::path WindowsBin();
// The Wine prefix of the run (booted by the tests' set-up).
std::filesystem::path WinePrefix();

// A Linux path as Windows programs under Wine name it (drive Z: is the root).
std::string WinePath(const std::filesystem::path& path);

class WineProcess {
public:
    // Starts `wine program args...`; the program is a path or a name Wine finds (reg, taskkill).
    WineProcess(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& output);
    ~WineProcess();
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // The exit code, or -1 when the program has not ended within timeout_ms (it is killed then).
    int Wait(int timeout_ms = 30000);
    bool Running();
    std::string Output() const;

private:
    pid_t pid_ = -1;
    int exit_code_ = -1;
    std::filesystem::path output_;
};

struct WineRun {
    int exit_code = -1;
    std::string output;  // standard output and error together
};

// Runs a program to its end.
WineRun RunWine(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& folder,
                int timeout_ms = 30000);

}  // namespace iec::test
