// The station files: iec101.cfg (stations, signals, OPC UA settings; one keyword line per item) and its companion
// iec101kp.cfg (link parameters, one value per line), both Windows-1251 with CR LF. Operators edit them by hand and
// installations exchange them, so the format is kept to the byte.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <string>

#include "model/config_problem.h"
#include "model/station.h"

namespace iec {

inline constexpr const char* kStationFileName = "iec101.cfg";
inline constexpr const char* kLinkFileName = "iec101kp.cfg";

struct StationFileOptions {
    // The server stops at the first line that cannot be converted, keeping what was read before it; the
    // configuration check goes on past bad lines so that it can report every problem at once.
    bool stop_at_error = true;
};

// Replaces the station table and the OPC UA settings from `file` and from iec101kp.cfg in `folder`. A missing
// main file changes nothing. Problems come back in the report; errors name file, line and field.
ConfigReport Read_Config(StationTable& table, OpcUaSettings& ua, const std::filesystem::path& file,
                         const std::filesystem::path& folder, const StationFileOptions& options = {});

// The same on the files' content: `name` is the main file's name for the report; no link file is nothing.
ConfigReport ParseStationFiles(StationTable& table, OpcUaSettings& ua, const std::string& name,
                               std::string_view main_bytes, const std::optional<std::string>& link_bytes,
                               const StationFileOptions& options = {});

// The two files' text (UTF-8, CR LF); Write_Config converts it to Windows-1251.
std::string FormatStationFile(const StationTable& table, const OpcUaSettings& ua, int Timeout_Merc230);
std::string FormatLinkFile(const StationTable& table);

// Writes the whole table to `file` and iec101kp.cfg in `folder`, each replaced atomically so that a failed save
// never leaves a truncated file. Both files are attempted; returns an empty string on success, else the reasons.
std::string Write_Config(const StationTable& table, const OpcUaSettings& ua, int Timeout_Merc230,
                         const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace iec
