// The one thread of sim101: waits on the line, the control input and the next deadline, feeds the protocol
// logic with octets and the time, and writes its answers (late ones when a delay fault asks for it).
#pragma once

#include "sim101/endpoint.h"
#include "sim101/line.h"

namespace iec::sim {

// Runs until "quit", SIGINT/SIGTERM or a fatal line error. Returns the process exit code.
int RunEventLoop(Line& line, Endpoint& endpoint, const PrintLine& print);

}  // namespace iec::sim
