// The station table: every configured controlled station with its link parameters, status signals (TS) and
// measured values (TIT), as the station files iec101.cfg and iec101kp.cfg hold them.
#pragma once

#include <string>
#include <vector>

namespace iec {

constexpr int kMaxStations = 980;

// Link parameters of one station (iec101kp.cfg).
struct TIecDeviceVV {
    int RTU_TCP = 0;  // copies kept in the file; the T_KP fields of the same names are the ones in use
    int PortTCP = 0;
    std::string ComPort = "\\\\.\\COM1";  // serial device such as \\.\COM1, or the converter's host name or address
    int BaudRate = 9600;
    std::string Parity = "N";  // E, O, N, M or S
    std::string Name;          // station name, the same as NameKP
    int LinkTimeOut = 1000;    // ms
    int Retries = 3;
    int PollingCycle = 1000;  // ms
    int LinkAddress = 1;
    int ConfirmationTimeout = 3000;  // ms
    int TerminationTimeout = 5000;   // ms
    int sz_LinkAddress = 1;          // octets: 1 or 2
    int sz_InfObjAddress = 2;        // octets: 1..3
    int sz_PrichinaPeredachi = 1;    // cause of transmission, octets: 1 or 2
    int sz_ASDUAddress = 1;          // common address, octets: 1 or 2
    int opros_na_ustr = 10;          // maximum number of polls per station
    int bit_QU = 0;                  // qualifier of commands, 0..3
    int indLst = 0;                  // kept in neither file
    bool Virtual_com = false;        // speed and parity are set in the converter's own driver
    int Interval_opros_100 = 0;           // minutes between general interrogations
    int Interval_opros_counters_101 = 0;  // minutes between counter interrogations
    int Interval_opros_address_102 = 0;   // minutes between read cycles
};

// One status signal.
struct T_TS {
    int NomerKP = 0;
    std::string NameKP;
    std::string NameTS;
    int AdrASDU = 0;
    int AdrIOA = 0;
    int AdrASDU_TU = 0;  // command addresses; 0 when the signal has no command
    int AdrIOA_TU = 0;
    int Type_Var = 0;
    int Type_TU = 0;  // 0 single with select, 1 single direct, 2 double with select, 3 double direct
};

// One measured value.
struct T_TI {
    int NomerKP = 0;
    std::string NameKP;
    std::string NameTI;
    int AdrASDU = 0;
    int AdrIOA = 0;
    double Min_TM_Diap = 0;  // raw range as transmitted
    double Max_TM_Diap = 0;
    double Min_Eng_Diap = 0;  // engineering range
    double Max_Eng_Diap = 0;
};

// One station. TS_arr and TI_arr hold their signals in elements 1..Kol_TS and 1..Kol_TI; element 0 stays empty.
struct T_KP {
    std::string NameKP;
    std::string IP;
    int Port = 0;
    int Nom_OPC_Alarm = 0;
    int ASDU_Adr = 0;
    int Kol_TI = 0;
    int Kol_TS = 0;
    std::vector<T_TI> TI_arr;
    std::vector<T_TS> TS_arr;
    int Nom_OPC_1st = 0;
    int Nom_OPC_TS = 0;
    int Nom_OPC_TI = 0;
    bool PereschetTI = false;
    bool Time_To_OPC = false;
    int Popravka_Time = 0;
    bool Connected = false;
    TIecDeviceVV IecDeviceVV;
    int Nomer_Thread_ = 0;
    int NomerPC_in_Thread = 0;
    int NomerPC = 0;
    int RTU_TCP = 0;
    int PortTCP = 32100;

    // Appends a signal at element Kol_TS + 1 (or Kol_TI + 1), keeping element 0 empty.
    T_TS& AddTS();
    T_TI& AddTI();
};

// KP_arr[1..980]; stations 1..Kol_KP are in use, element 0 stays empty.
struct StationTable {
    std::vector<T_KP> KP_arr = std::vector<T_KP>(kMaxStations + 1);
    int Kol_KP = 0;

    // Station i (1..Kol_KP), or nullptr outside that range.
    T_KP* Station(int i) { return i >= 1 && i <= Kol_KP ? &KP_arr[static_cast<size_t>(i)] : nullptr; }
    const T_KP* Station(int i) const {
        return i >= 1 && i <= Kol_KP ? &KP_arr[static_cast<size_t>(i)] : nullptr;
    }
};

// The OPC UA settings kept in iec101.cfg.
struct OpcUaSettings {
    bool OPC_UA_use = false;
    bool OPC_UA_writable = false;
    bool OPC_UA_by_pwd = false;
    bool OPC_UA_Control_podkl = false;
    int OPC_UA_Port = 0;
    int OPC_UA_Timeout_of_control = 0;
    std::string OPC_UA_username;
    std::string OPC_UA_password;
};

}  // namespace iec
