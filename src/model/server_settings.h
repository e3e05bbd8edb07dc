// Server-wide settings of cnf.ini (each value in a section named like its key) and of the per-program INI file.
#pragma once

#include <filesystem>
#include <string>

#include "model/config_problem.h"

namespace iec {

inline constexpr const char* kSettingsFileName = "cnf.ini";

struct ServerSettings {
    bool UseWebServer = false;
    int Port_WebServ = 80;
    int Timeout_Merc230 = 10;  // extra serial read time-out, ms
    bool Save_Obmen_v_File = false;
};

// Missing file or key gives the default. Values that are present but not numbers also give the default and are
// reported in `report` when one is passed.
ServerSettings ReadServerSettings(const std::filesystem::path& cnf_ini, ConfigReport* report = nullptr);
// Writes the four keys; returns an empty string on success, else the reason.
std::string WriteServerSettings(const std::filesystem::path& cnf_ini, const ServerSettings& s);

// The per-program INI file (the executable's name with ".ini"): kept, but nothing depends on it.
struct ProgramIniSettings {
    int sstID = 0;
    std::string ArmDir = "..\\ArmztDir\\";
};

ProgramIniSettings IniRead(const std::filesystem::path& program_ini);

}  // namespace iec
