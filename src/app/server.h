// The acquisition server without a window: start-up, polling, the 200 ms publication, the web pages, and a clean
// stop. One line per start, stop and station link change goes to standard error.
#pragma once

#include <atomic>
#include <filesystem>
#include <ostream>

namespace iec {

struct ServerOptions {
    std::filesystem::path folder;
    std::string exe_name = "iec101opc";
};

// Runs until `stop` becomes true (the signal handler sets it). Returns the exit code.
int RunServer(const ServerOptions& options, const std::atomic<bool>& stop, std::ostream& err);

}  // namespace iec
