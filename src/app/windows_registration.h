// Windows only: the registration runs of /RegServer and /UnRegServer (and their per-user forms) against the
// system's registry, for the program file that runs.
#pragma once

#include <ostream>

namespace iec {

// Writes (register true) or removes the OPC server's registration. Each step done and every failure go to log;
// a failure is also shown to the user. Returns the exit code: 0, or 1 on a failure.
int RunRegistration(bool register_server, bool per_user, std::ostream& log);

}  // namespace iec
