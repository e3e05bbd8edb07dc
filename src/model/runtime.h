// The state a running server keeps for its whole life: settings, the station table, the tag table and the shared
// objects. One object per server, passed to the code that needs it, so that two servers (a main and a reserve)
// can run in one process.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "model/arm_signals.h"
#include "model/config_problem.h"
#include "model/server_settings.h"
#include "model/station.h"
#include "model/tag_table.h"
#include "platform/clock.h"
#include "platform/date_time.h"

namespace iec {

struct Runtime {
    explicit Runtime(const Clock& clock, std::filesystem::path program_folder, std::string exe_name = "iec101opc")
        : clock(clock), ProgramFolder(std::move(program_folder)), Exe_Name(std::move(exe_name)) {}

    const Clock& clock;
    std::filesystem::path ProgramFolder;  // configuration files, logs and web/
    std::string Exe_Name;                 // file name of the executable, without folder

    bool Config_Mode = false;  // forlinux.txt present at start-up: no automatic polling
    DateTime Time_Start;
    const double OneHour = DateTime::kOneHour;

    ServerSettings settings;  // cnf.ini: UseWebServer, Port_WebServ, Timeout_Merc230, Save_Obmen_v_File
    ProgramIniSettings program_ini;
    StationTable stations;  // KP_arr, Kol_KP
    OpcUaSettings opc_ua;
    TagTable tags;  // OPC_Tags, OPC_Values, Kol_OPC_Tags
    std::unique_ptr<TArmSignals> ArmSignals;

    std::atomic<bool> Opros_On{false};

    std::filesystem::path StationFilePath() const;
};

struct StartUpOutcome {
    ConfigReport config;      // what loading the files found
    bool start_polling = false;  // stations exist, the files read without error, not a configurator
};

// The start-up sequence of the server without its window: configurator mode, start time, tag qualities, the
// per-program INI file, the shared objects, the station file, the cnf.ini settings, and the decision whether
// polling starts (Opros_On is set then; starting it is the caller's).
StartUpOutcome StartUp(Runtime& rt);

}  // namespace iec
