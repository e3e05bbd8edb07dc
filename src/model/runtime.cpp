#include "model/runtime.h"

#include "model/station_file.h"

namespace iec {

std::filesystem::path Runtime::StationFilePath() const { return ProgramFolder / kStationFileName; }

void Runtime::SetReserveCommandOutlet(std::shared_ptr<ReserveCommandOutlet> outlet) {
    std::lock_guard lock(reserve_outlet_mutex_);
    reserve_outlet_ = std::move(outlet);
}

std::shared_ptr<ReserveCommandOutlet> Runtime::GetReserveCommandOutlet() const {
    std::lock_guard lock(reserve_outlet_mutex_);
    return reserve_outlet_;
}

StartUpOutcome StartUp(Runtime& rt) {
    StartUpOutcome out;
    std::error_code ec;
    rt.Config_Mode = std::filesystem::exists(rt.ProgramFolder / "forlinux.txt", ec);
    rt.Time_Start = rt.clock.Now();
    // Quality 1 marks a slot that polling has never touched.
    rt.tags.SetAllQualities(1);
    // Numbers are formatted and parsed with "." everywhere by construction (no locale-dependent calls).
    std::filesystem::path ini_name(rt.Exe_Name);
    ini_name.replace_extension(".ini");
    rt.program_ini = IniRead(rt.ProgramFolder / ini_name);
    // The type table of the protocol is created with the polling engine; the signal records live here.
    rt.ArmSignals = std::make_unique<TArmSignals>();
    out.config = Read_Config(rt.stations, rt.opc_ua, rt.StationFilePath(), rt.ProgramFolder);
    rt.Time_Start = rt.clock.Now();
    rt.settings = ReadServerSettings(rt.ProgramFolder / kSettingsFileName, &out.config);
    rt.Timeout_Merc230_live = rt.settings.Timeout_Merc230;
    rt.Save_Obmen_v_File_live = rt.settings.Save_Obmen_v_File;
    // A station file that could not be read to its end is not polled in part: the operator sees the error.
    out.start_polling = rt.stations.Kol_KP > 0 && !rt.Config_Mode && !out.config.HasErrors();
    if (out.start_polling) rt.Opros_On = true;
    return out;
}

}  // namespace iec
