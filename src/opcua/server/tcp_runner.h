// The only place with sockets, the thread's loop and the clock: accepts TCP connections on a port and moves
// octets between them and a UaServer until `running` turns false.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "opcua/server/now.h"
#include "opcua/server/ua_server.h"

namespace iec::ua {

// The current time in both forms the protocol code needs.
Now ClockNow();

// Serves until running becomes false (checked at least every 20 ms). Returns 0 after a normal stop, or -1 with
// error set when the port cannot be opened.
int RunTcpServer(UaServer& server, uint16_t port, const std::atomic<bool>& running, std::string& error);

}  // namespace iec::ua
