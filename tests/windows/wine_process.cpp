#include "wine_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "platform/file_util.h"

namespace iec::test {

std::filesystem::path WindowsBin() { return IEC_WINDOWS_PROGRAM; }

std::filesystem::path WinePrefix() { return IEC_WINE_PREFIX; }

std::string WinePath(const std::filesystem::path& path) {
    std::string text = "Z:" + std::filesystem::absolute(path).lexically_normal().string();
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

WineProcess::WineProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& output)
    : output_(output) {
    pid_ = ::fork();
    if (pid_ == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::setenv("WINEPREFIX", IEC_WINE_PREFIX, 1);
        ::setenv("WINEDEBUG", "-all", 1);
        // The same locale on every machine: the user's default locale is 0x409, whatever the host's LANG says.
        ::setenv("LC_ALL", "C.UTF-8", 1);
        std::vector<std::string> words = {"wine", program};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        ::execvp("wine", argv.data());
        ::_exit(127);
    }
}

WineProcess::~WineProcess() {
    if (Running()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool WineProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    exit_code_ = r == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    return false;
}

int WineProcess::Wait(int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Running()) {
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exit_code_;
}

std::string WineProcess::Output() const { return ReadFileBytes(output_).value_or(""); }

WineRun RunWine(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& folder,
                int timeout_ms) {
    static std::mt19937 names{std::random_device{}()};
    const auto output = folder / ("wine_" + std::to_string(names()) + ".txt");
    WineProcess p(program, args, output);
    WineRun run;
    run.exit_code = p.Wait(timeout_ms);
    run.output = p.Output();
    std::error_code ec;
    std::filesystem::remove(output, ec);
    return run;
}

}  // namespace iec::test
