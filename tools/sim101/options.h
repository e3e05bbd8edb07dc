// The command line and the configuration file of sim101. A configuration file holds the same options without
// the leading dashes, one per line ("station 5", "point M_SP_NA:1-8=0"), so there is one grammar to learn.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim101/line.h"

namespace iec::sim {

enum class Transport { None, Device, Pty, Tcp };

struct ProgramOptions {
    Transport transport = Transport::None;
    std::string device;
    int tcp_port = -1;  // 0 lets the system choose a free port; the chosen one is printed
    std::string bind_address = "127.0.0.1";
    int baud = 9600;
    char parity = 'E';  // IEC 60870-5-101 asks for 8 data bits, even parity, 1 stop bit
    LineConfig line;
    Faults faults;      // applied to every station at start
    bool help = false;
};

// Parses the arguments after the program name. Empty on success, else a message for the user.
// read_file gives the text of a --config file (or nullopt when it cannot be read); it is a parameter so the
// parser does no input/output itself.
using FileReader = std::optional<std::string> (*)(const std::string& path);
std::string ParseOptions(const std::vector<std::string>& args, ProgramOptions& out, FileReader read_file);

// The lines of a configuration file, parsed into out like options. Empty on success.
std::string ParseConfigText(std::string_view text, ProgramOptions& out);

// A station with a few points of every kind, used when no --station is given.
StationConfig DemoStation();

std::string HelpText();

}  // namespace iec::sim
