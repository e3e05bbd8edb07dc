#include "model/server_settings.h"

#include "platform/ini_file.h"
#include "platform/number_text.h"

namespace iec {
namespace {

int ReadChecked(const IniFile& ini, const char* key, int def, ConfigReport* report, int min, int max) {
    if (!ini.KeyExists(key, key)) return def;
    const std::string text = ini.ReadString(key, key, "");
    const auto v = ParseInt(text);
    if (!v) {
        if (report) {
            report->Warning(kSettingsFileName, 0, std::string("[") + key + "] " + key,
                            "expected an integer, found \"" + text + "\"; the default " + std::to_string(def) +
                                " applies");
        }
        return def;
    }
    if (report && (*v < min || *v > max)) {
        report->Warning(kSettingsFileName, 0, std::string("[") + key + "] " + key,
                        "expected " + std::to_string(min) + ".." + std::to_string(max) + ", found " +
                            std::to_string(*v));
    }
    return *v;
}

}  // namespace

ServerSettings ReadServerSettings(const std::filesystem::path& cnf_ini, ConfigReport* report) {
    const IniFile ini(cnf_ini);
    ServerSettings s;
    s.UseWebServer = ReadChecked(ini, "UseWebServer", 0, report, 0, 1) != 0;
    s.Port_WebServ = ReadChecked(ini, "Port_WebServ", 80, report, 1, 65535);
    s.Timeout_Merc230 = ReadChecked(ini, "Timeout_Merc230", 10, report, 0, 60000);
    s.Save_Obmen_v_File = ReadChecked(ini, "Save_Obmen_v_File", 0, report, 0, 1) != 0;
    return s;
}

std::string WriteServerSettings(const std::filesystem::path& cnf_ini, const ServerSettings& s) {
    const IniFile ini(cnf_ini);
    for (const std::string& e : {ini.WriteBool("UseWebServer", "UseWebServer", s.UseWebServer),
                                 ini.WriteInteger("Port_WebServ", "Port_WebServ", s.Port_WebServ),
                                 ini.WriteInteger("Timeout_Merc230", "Timeout_Merc230", s.Timeout_Merc230),
                                 ini.WriteBool("Save_Obmen_v_File", "Save_Obmen_v_File", s.Save_Obmen_v_File)}) {
        if (!e.empty()) return e;
    }
    return {};
}

ProgramIniSettings IniRead(const std::filesystem::path& program_ini) {
    const IniFile ini(program_ini);
    ProgramIniSettings s;
    s.sstID = ini.ReadInteger("_Params_", "sstID", 0);
    s.ArmDir = ini.ReadString("_Config_", "ArmDir", s.ArmDir);
    return s;
}

}  // namespace iec
