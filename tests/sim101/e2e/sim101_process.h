// The test side of the end-to-end tests: the sim101 program as a child process with its control input and its
// output lines, and a bare master that writes raw frames to a pseudo-terminal or a TCP connection.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace iec::sim::test {

class Sim101Process {
public:
    explicit Sim101Process(const std::vector<std::string>& args);
    ~Sim101Process();
    Sim101Process(const Sim101Process&) = delete;
    Sim101Process& operator=(const Sim101Process&) = delete;

    // The next output line that starts with prefix (earlier lines are kept in Lines()); "" after timeout_ms.
    std::string WaitLine(std::string_view prefix, int timeout_ms = 5000);
    // Writes one control command.
    void Send(std::string_view command);
    // Waits for the exit and returns the exit code, or -1 after timeout_ms.
    int WaitExit(int timeout_ms = 5000);
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    bool ReadSome(int timeout_ms);

    pid_t pid_ = -1;
    int in_fd_ = -1;
    int out_fd_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
    size_t seen_ = 0;
    int exit_code_ = -1;
};

class RawMaster {
public:
    static RawMaster OpenPty(const std::string& path);
    static RawMaster ConnectTcp(int port);  // fd() < 0 when the connection is refused
    RawMaster(RawMaster&& other) noexcept;
    ~RawMaster();

    int fd() const { return fd_; }
    void Write(const std::vector<uint8_t>& octets);
    // One whole answer: E5, a fixed frame or a variable frame by its length octet. Empty after timeout_ms.
    std::vector<uint8_t> ReadFrame(int link_octets = 1, int timeout_ms = 5000);
    // Exactly n octets, or fewer after timeout_ms.
    std::vector<uint8_t> Read(size_t n, int timeout_ms = 5000);
    // True when the peer closed the connection within timeout_ms.
    bool WaitClosed(int timeout_ms = 5000);
    // Writes a request and returns the answer as hex.
    std::string Ask(const std::vector<uint8_t>& request, int link_octets = 1);

private:
    explicit RawMaster(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace iec::sim::test
