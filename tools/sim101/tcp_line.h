// A TCP listening socket (on 127.0.0.1 unless told otherwise), as a serial-to-Ethernet converter offers its serial line: one connection
// at a time; a new connection replaces the old one, as a master reconnecting after a broken link expects.
#pragma once

#include <memory>
#include <string>

#include "sim101/endpoint.h"

namespace iec::sim {

// Listens on address:port (an IPv4 address, normally 127.0.0.1; port 0: a free port, printed in the ready
// line). Throws std::runtime_error.
std::unique_ptr<Endpoint> ListenTcp(const std::string& address, int port);

}  // namespace iec::sim
