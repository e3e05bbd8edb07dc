// The wire end of the simulator: a serial device, a pseudo-terminal or a TCP listening socket with its one
// connection. The event loop polls its descriptors and moves octets; the protocol logic never sees them.
#pragma once

#ifdef _WIN32
#include <winsock2.h>  // pollfd, for WSAPoll
#else
#include <poll.h>
#endif

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace iec::sim {

using PrintLine = std::function<void(const std::string&)>;

class Endpoint {
public:
    virtual ~Endpoint() = default;
    // The line printed once the endpoint is open ("ready pty /dev/pts/3").
    virtual std::string ReadyText() const = 0;
    // Descriptors to wait on for input.
    virtual void AddPollFds(std::vector<pollfd>& fds) const = 0;
    // After poll: accepts connections and reads what arrived. False on a fatal error of the line.
    virtual bool Service(const std::vector<pollfd>& fds, std::vector<uint8_t>& received, int64_t now_ms,
                         const PrintLine& print) = 0;
    // Writes all octets or gives up on an error (a closed connection); the answer is then lost, as on a wire.
    virtual void Write(std::span<const uint8_t> octets, const PrintLine& print) = 0;
    // Closes the connection and refuses new ones for refuse_ms. Only TCP has a connection to drop.
    virtual bool Drop(int64_t refuse_ms, int64_t now_ms, const PrintLine& print) = 0;
    // Monotonic time of the next thing to do without input (reopening the listener), -1 when none.
    virtual int64_t NextDeadline() const { return -1; }
    // True while octets can be sent (a TCP connection is open).
    virtual bool Connected() const { return true; }
};

}  // namespace iec::sim
