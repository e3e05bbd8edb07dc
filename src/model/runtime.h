// The state a running server keeps for its whole life: settings, the station table, the tag table and the shared
// objects. One object per server, passed to the code that needs it, so that two servers (a main and a reserve)
// can run in one process.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/arm_signals.h"
#include "model/config_problem.h"
#include "model/opc_ua_outlet.h"
#include "model/redundancy_state.h"
#include "model/reserve_command_outlet.h"
#include "model/server_settings.h"
#include "model/station.h"
#include "model/tag_table.h"
#include "platform/clock.h"
#include "platform/date_time.h"

namespace iec {

class TOpros_device;
struct PollingContext;

constexpr int kMaxThreads = 40;

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

    // Polling: Threads_arr[1..Kol_Threads] (element 0 stays empty), built at every polling start. The lock
    // guards the list itself (arming from other threads reads it while a start or stop replaces it).
    mutable std::mutex threads_mutex;
    std::vector<std::shared_ptr<TOpros_device>> Threads_arr;
    std::shared_ptr<PollingContext> polling_context;  // what the threads read of this runtime
    int Kol_Threads = 0;
    int NSignalsTS = 0;
    int NSignalsTIT = 0;

    // Settings as the running threads and pages see and change them: the serial lines raise Timeout_Merc230 to
    // 20, the web pages switch the logs on and off.
    std::atomic<int> Timeout_Merc230_live{10};
    std::atomic<bool> Save_Obmen_v_File_live{false};
    RedundancyState redundancy;
    // The reserve side of the redundancy link, while it runs (set and cleared by the polling start and stop).
    void SetReserveCommandOutlet(std::shared_ptr<ReserveCommandOutlet> outlet);
    std::shared_ptr<ReserveCommandOutlet> GetReserveCommandOutlet() const;
    std::atomic<int> Sel_KP_Index{0};

    // Change lines waiting for the reserve server.
    std::mutex Rezerv_Send_Buf_mutex;
    std::string Rezerv_Send_Buf;

    std::atomic<bool> OPC_UA_Started{false};  // the address space is built and the server thread started
    // The OPC UA server, when the program has one: built at polling start, fed by the publication pass. Declared
    // after what its server thread uses, so that it is stopped before any of that goes away.
    std::shared_ptr<OpcUaOutlet> opc_ua_server;

    std::filesystem::path StationFilePath() const;

private:
    mutable std::mutex reserve_outlet_mutex_;
    std::shared_ptr<ReserveCommandOutlet> reserve_outlet_;
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
