// The configuration check: loads cnf.ini, iec101.cfg and iec101kp.cfg of a folder as the server does and reports
// what it finds, so that an operator can validate a hand-edited file before restarting a server.
#pragma once

#include <filesystem>
#include <ostream>

namespace iec {

// Prints every problem (one line each) to `err`, and with `json` the loaded state to `out`.
// Returns the exit code: 0 when no error was found, 1 otherwise.
int CheckConfig(const std::filesystem::path& folder, bool json, std::ostream& out, std::ostream& err);

}  // namespace iec
