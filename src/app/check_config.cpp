#include "app/check_config.h"

#include "app/json_writer.h"
#include "model/config_validation.h"
#include "model/server_settings.h"
#include "model/station_file.h"

namespace iec {
namespace {

void WriteLink(JsonWriter& j, const TIecDeviceVV& d) {
    j.Key("IecDeviceVV").BeginObject();
    j.Field("RTU_TCP", d.RTU_TCP).Field("PortTCP", d.PortTCP).Field("ComPort", d.ComPort);
    j.Field("BaudRate", d.BaudRate).Field("Parity", d.Parity).Field("Name", d.Name);
    j.Field("LinkTimeOut", d.LinkTimeOut).Field("Retries", d.Retries).Field("PollingCycle", d.PollingCycle);
    j.Field("LinkAddress", d.LinkAddress).Field("ConfirmationTimeout", d.ConfirmationTimeout);
    j.Field("TerminationTimeout", d.TerminationTimeout).Field("sz_LinkAddress", d.sz_LinkAddress);
    j.Field("sz_InfObjAddress", d.sz_InfObjAddress).Field("sz_PrichinaPeredachi", d.sz_PrichinaPeredachi);
    j.Field("sz_ASDUAddress", d.sz_ASDUAddress).Field("opros_na_ustr", d.opros_na_ustr);
    j.Field("bit_QU", d.bit_QU).Field("indLst", d.indLst).Field("Virtual_com", d.Virtual_com);
    j.Field("Interval_opros_100", d.Interval_opros_100);
    j.Field("Interval_opros_counters_101", d.Interval_opros_counters_101);
    j.Field("Interval_opros_address_102", d.Interval_opros_address_102);
    j.EndObject();
}

void WriteStation(JsonWriter& j, const T_KP& kp) {
    j.BeginObject();
    j.Field("NameKP", kp.NameKP).Field("IP", kp.IP).Field("Port", kp.Port).Field("Nom_OPC_Alarm", kp.Nom_OPC_Alarm);
    j.Field("ASDU_Adr", kp.ASDU_Adr).Field("Kol_TI", kp.Kol_TI).Field("Kol_TS", kp.Kol_TS);
    j.Field("Nom_OPC_1st", kp.Nom_OPC_1st).Field("Nom_OPC_TS", kp.Nom_OPC_TS).Field("Nom_OPC_TI", kp.Nom_OPC_TI);
    j.Field("PereschetTI", kp.PereschetTI).Field("Time_To_OPC", kp.Time_To_OPC);
    j.Field("Popravka_Time", kp.Popravka_Time).Field("Connected", kp.Connected);
    j.Field("Nomer_Thread_", kp.Nomer_Thread_).Field("NomerPC_in_Thread", kp.NomerPC_in_Thread);
    j.Field("NomerPC", kp.NomerPC).Field("RTU_TCP", kp.RTU_TCP).Field("PortTCP", kp.PortTCP);
    WriteLink(j, kp.IecDeviceVV);
    j.Key("TS").BeginArray();
    for (int k = 1; k <= kp.Kol_TS && static_cast<size_t>(k) < kp.TS_arr.size(); ++k) {
        const T_TS& ts = kp.TS_arr[static_cast<size_t>(k)];
        j.BeginObject();
        j.Field("NomerKP", ts.NomerKP).Field("NameKP", ts.NameKP).Field("NameTS", ts.NameTS);
        j.Field("AdrASDU", ts.AdrASDU).Field("AdrIOA", ts.AdrIOA).Field("AdrASDU_TU", ts.AdrASDU_TU);
        j.Field("AdrIOA_TU", ts.AdrIOA_TU).Field("Type_Var", ts.Type_Var).Field("Type_TU", ts.Type_TU);
        j.EndObject();
    }
    j.EndArray();
    j.Key("TI").BeginArray();
    for (int k = 1; k <= kp.Kol_TI && static_cast<size_t>(k) < kp.TI_arr.size(); ++k) {
        const T_TI& ti = kp.TI_arr[static_cast<size_t>(k)];
        j.BeginObject();
        j.Field("NomerKP", ti.NomerKP).Field("NameKP", ti.NameKP).Field("NameTI", ti.NameTI);
        j.Field("AdrASDU", ti.AdrASDU).Field("AdrIOA", ti.AdrIOA);
        j.Field("Min_TM_Diap", ti.Min_TM_Diap).Field("Max_TM_Diap", ti.Max_TM_Diap);
        j.Field("Min_Eng_Diap", ti.Min_Eng_Diap).Field("Max_Eng_Diap", ti.Max_Eng_Diap);
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
}

std::string LoadedStateJson(const ServerSettings& s, const OpcUaSettings& ua, const StationTable& table) {
    JsonWriter j;
    j.BeginObject();
    j.Key("settings").BeginObject();
    j.Field("UseWebServer", s.UseWebServer).Field("Port_WebServ", s.Port_WebServ);
    j.Field("Timeout_Merc230", s.Timeout_Merc230).Field("Save_Obmen_v_File", s.Save_Obmen_v_File);
    j.EndObject();
    j.Key("opc_ua").BeginObject();
    j.Field("OPC_UA_use", ua.OPC_UA_use).Field("OPC_UA_writable", ua.OPC_UA_writable);
    j.Field("OPC_UA_by_pwd", ua.OPC_UA_by_pwd).Field("OPC_UA_Control_podkl", ua.OPC_UA_Control_podkl);
    j.Field("OPC_UA_Port", ua.OPC_UA_Port).Field("OPC_UA_Timeout_of_control", ua.OPC_UA_Timeout_of_control);
    j.Field("OPC_UA_username", ua.OPC_UA_username).Field("OPC_UA_password", ua.OPC_UA_password);
    j.EndObject();
    j.Key("stations").BeginArray();
    for (int i = 1; i <= table.Kol_KP; ++i) WriteStation(j, *table.Station(i));
    j.EndArray();
    j.EndObject();
    return j.str();
}

}  // namespace

int CheckConfig(const std::filesystem::path& folder, bool json, std::ostream& out, std::ostream& err) {
    ConfigReport report;
    const ServerSettings settings = ReadServerSettings(folder / kSettingsFileName, &report);

    // The state is loaded exactly as the server loads it (stopping at the first bad line) ...
    StationTable table;
    OpcUaSettings ua;
    const ConfigReport as_server = Read_Config(table, ua, folder / kStationFileName, folder);

    // ... and the files are read once more past every bad line, so that all their problems are listed at once.
    StationTable scratch;
    OpcUaSettings scratch_ua;
    report.Append(Read_Config(scratch, scratch_ua, folder / kStationFileName, folder,
                              StationFileOptions{.stop_at_error = false}));
    if (!as_server.HasErrors()) report.Append(ValidateStations(table));

    int errors = 0, warnings = 0;
    for (const auto& p : report.problems) {
        err << p.ToString() << "\n";
        (p.severity == ConfigProblem::Severity::Error ? errors : warnings) += 1;
    }
    if (json) out << LoadedStateJson(settings, ua, table) << "\n";
    err << folder.string() << ": " << table.Kol_KP << " stations, " << errors << " errors, " << warnings
        << " warnings\n";
    return errors == 0 ? 0 : 1;
}

}  // namespace iec
