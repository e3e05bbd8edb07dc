// The embedded HTTP server: listens on one TCP port on all local addresses and answers every request through
// IdHTTPServer1CommandGet on its own connection threads. Malformed HTTP is answered 400 and that connection is
// closed; the others go on. Start and Stop are called from one controlling thread (polling start and stop).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "web/web_data.h"

namespace iec {

struct WebServerLimits {
    int threads = 4;                          // connection threads
    int max_connections = 64;                 // further connections are closed at once
    std::chrono::seconds idle{30};            // a connection silent this long is closed
    std::size_t header_limit = 16 * 1024;     // octets of request line and header fields
    std::size_t body_limit = 8 * 1024 * 1024; // a POST body is read and ignored; a larger one gets 413
};

class WebServer {
public:
    // data must outlive the server (or at least its Stop()).
    explicit WebServer(WebDataSource& data, WebServerLimits limits = {});
    ~WebServer();  // stops
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Listens on port (0: a free port the system picks; Port() tells which) on every local address, IPv6 and
    // IPv4 where the system has both. Returns an empty string when listening, else why not (port in use, no
    // permission, a port outside 0..65535); the server then stays off and nothing else changes. A running
    // server is stopped first.
    std::string Start(int port);

    // Closes the port and every connection and joins the threads; a request being answered is finished first.
    // Does nothing when stopped. Never call it from a request (a WebDataSource call).
    void Stop();

    bool Running() const;
    uint16_t Port() const;  // 0 when stopped

private:
    struct Impl;
    WebDataSource& data_;
    WebServerLimits limits_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace iec
