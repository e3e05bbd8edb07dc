// The program folder holds the configuration files, the logs and web/: the folder of the executable unless the
// command line names another with --dir FOLDER.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace iec {

// The running executable's full path (empty when the system cannot tell).
std::filesystem::path ExecutablePath();

// Takes "--dir FOLDER" or "--dir=FOLDER" out of args and returns the program folder: that folder made absolute,
// or the executable's folder. Sets error when --dir has no value.
std::filesystem::path TakeProgramFolder(std::vector<std::string>& args, std::string& error);

}  // namespace iec
