// The program's own log in its folder, for a program without a console (the Windows program): start, stop,
// polling and link lines, registration runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace iec {

inline constexpr const char* kProgramLogName = "iec101opc.log";

// Opens the file for appending. A file that has grown beyond max_bytes is first renamed to its name + ".1"
// (replacing the one kept before), so that the log never fills the disk of a server that runs for years.
std::ofstream OpenProgramLog(const std::filesystem::path& file, std::uintmax_t max_bytes = 1024 * 1024);

}  // namespace iec
