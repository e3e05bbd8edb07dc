// The acquisition server without a window: start-up, polling, the 200 ms publication, the web pages, and a clean
// stop. One line per start, stop and station link change goes to standard error.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <ostream>

namespace iec {

struct ServerOptions {
    std::filesystem::path folder;
    std::string exe_name = "iec101opc";
};

// The server's life in three steps, for a program entry that owns its main loop (the Windows program calls Tick
// from its message loop's 200 ms timer). Every step runs on the thread that created the session.
class ServerSession {
public:
    ServerSession(const ServerOptions& options, std::ostream& err);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Start-up, polling start when the configuration asks for it, the web server.
    void Start();
    // One pass of the 200 ms cycle: publication and the reports of link changes.
    void Tick();
    // Stops the web server and polling; the destructor does it when Start ran without Stop.
    void Stop();
    bool Polling() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Runs until `stop` becomes true (the signal handler sets it). Returns the exit code.
int RunServer(const ServerOptions& options, const std::atomic<bool>& stop, std::ostream& err);

}  // namespace iec
