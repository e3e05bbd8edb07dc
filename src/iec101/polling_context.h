// What a polling thread takes from the server it runs in: time, settings and the redundancy flags.
#pragma once

#include <atomic>
#include <filesystem>

#include "model/redundancy_state.h"
#include "platform/clock.h"

namespace iec {

struct PollingContext {
    const Clock& clock;
    std::filesystem::path program_folder;  // where the exchange logs go
    bool Save_Obmen_v_File = false;
    // The extra serial read time-out of cnf.ini; a serial line raises it to 20 when it is below (the raised value
    // stays in the setting).
    std::atomic<int>& Timeout_Merc230;
    const RedundancyState& redundancy;
    // The log switch as the web pages change it at run time; when given, it decides instead of Save_Obmen_v_File.
    const std::atomic<bool>* Save_Obmen_v_File_live = nullptr;
};

}  // namespace iec
