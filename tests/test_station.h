// The program folder of the end-to-end runs of the server program: one station, "КП Тест" (link and common address
// 7), with the status signal "Выключатель" (object 1) and the measured value "Ток" (object 100), and cnf.ini with
// the web server on a given port.
#pragma once

#include <filesystem>
#include <string>

#include "model/station_file.h"
#include "platform/file_util.h"

namespace iec::test {

// The station without its channel: the caller says how it is reached (RTU_TCP, PortTCP, IecDeviceVV.ComPort).
inline T_KP TestStation() {
    T_KP kp;
    kp.NameKP = "КП Тест";
    kp.ASDU_Adr = 7;
    kp.IecDeviceVV.Name = kp.NameKP;
    kp.IecDeviceVV.LinkAddress = 7;
    kp.IecDeviceVV.Interval_opros_100 = 1;
    T_TS& s = kp.AddTS();
    s.NameTS = "Выключатель";
    s.AdrASDU = 7;
    s.AdrIOA = 1;
    T_TI& m = kp.AddTI();
    m.NameTI = "Ток";
    m.AdrASDU = 7;
    m.AdrIOA = 100;
    return kp;
}

// Writes iec101.cfg and iec101kp.cfg with the one station, and cnf.ini; an empty string, or what failed.
inline std::string WriteServerFolder(const std::filesystem::path& dir, const T_KP& station, const OpcUaSettings& ua,
                                     int web_port, const std::string& extra_cnf = "") {
    StationTable t;
    t.Kol_KP = 1;
    t.KP_arr[1] = station;
    if (std::string why = Write_Config(t, ua, 10, dir / kStationFileName, dir); !why.empty()) return why;
    return WriteFileAtomic(dir / "cnf.ini", "[UseWebServer]\r\nUseWebServer=1\r\n[Port_WebServ]\r\nPort_WebServ=" +
                                                std::to_string(web_port) + "\r\n" + extra_cnf);
}

}  // namespace iec::test
