// The OPC UA server as protocol logic: connections come in as ids and octets, time as `now`, and octets go out.
// No sockets, threads or clocks here; tcp_runner drives it from the network, tests and the fuzzer drive it
// directly. Not thread-safe: one thread calls it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "opcua/server/server_state.h"

namespace iec::ua {

class UaServer {
public:
    UaServer(const ServerConfig& config, const AddressSpace& space, TagStore& tags, RandomSource& random,
             WriteCallback on_write, const Now& start);

    // A new connection; returns its id, or 0 when the connection limit is reached (then close it).
    uint32_t Connect(const Now& now);
    void Receive(uint32_t connection, std::span<const uint8_t> data, const Now& now);
    // Octets to send on the connection.
    std::vector<uint8_t> TakeOutput(uint32_t connection);
    // True once the connection should be closed (after its pending output has been sent).
    bool ShouldClose(uint32_t connection) const;
    void Disconnect(uint32_t connection);
    // Timers: token and handshake time-outs, sampling, publishing, session time-outs.
    void Tick(const Now& now);

    const ServerCounters& counters() const { return state_.counters; }
    const ChannelCounters& channel_counters() const { return state_.channel_counters; }
    size_t session_count() const { return state_.sessions.size(); }
    ServerState& state() { return state_; }

private:
    void Dispatch(SecureChannel& channel, IncomingRequest& request, const Now& now);

    ServerState state_;
};

}  // namespace iec::ua
