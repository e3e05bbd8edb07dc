// How the program was started, from the switches of its command line: by the operator, by COM for a client, or to
// write or remove its registration.
#pragma once

#include <string>
#include <vector>

namespace iec::opcda {

enum class StartMode { Interactive, ByCom, Register, Unregister };

struct StartSwitches {
    StartMode mode = StartMode::Interactive;
    bool per_user = false;  // the type library for the current user only
    std::string error;      // a word that is no switch of ours: the program shows it and ends
};

// args: the words after the program name (--dir FOLDER already taken out). A switch begins with "/" or "-" and
// is one of AUTOMATION, EMBEDDING, REGSERVER, UNREGSERVER, REGSERVERPERUSER, UNREGSERVERPERUSER in any case,
// anywhere on the line; when several are given the first of that order decides.
StartSwitches ParseStartSwitches(const std::vector<std::string>& args);

// The accepted switches, for the messages that refuse a command line.
extern const char* const kSwitchHelp;

}  // namespace iec::opcda
