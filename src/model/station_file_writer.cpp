#include "model/flag.h"
#include "model/station_file.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "platform/number_text.h"

namespace iec {
namespace {

class Lines {
public:
    Lines& operator<<(const std::string& s) {
        text_ += s;
        return *this;
    }
    Lines& operator<<(int v) {
        text_ += std::to_string(v);
        return *this;
    }
    Lines& operator<<(double v) {
        text_ += FormatReal(v);
        return *this;
    }
    void End() { text_ += "\r\n"; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

const char* Bit(bool b) { return b ? "1" : "0"; }

void WriteOpcUaBlock(Lines& out, const OpcUaSettings& ua, int Timeout_Merc230) {
    out << "OPC_UA_use," << Bit(ua.OPC_UA_use), out.End();
    out << "OPC_UA_writable," << Bit(ua.OPC_UA_writable), out.End();
    out << "OPC_UA_by_pwd," << Bit(ua.OPC_UA_by_pwd), out.End();
    out << "OPC_UA_Control_podkl," << Bit(ua.OPC_UA_Control_podkl), out.End();
    out << "OPC_UA_Port," << ua.OPC_UA_Port, out.End();
    out << "OPC_UA_password," << ua.OPC_UA_password, out.End();
    out << "OPC_UA_username," << ua.OPC_UA_username, out.End();
    out << "OPC_UA_Timeout_of_control," << ua.OPC_UA_Timeout_of_control, out.End();
    out << "Timeoutm230," << Timeout_Merc230, out.End();
}

}  // namespace

std::string FormatStationFile(const StationTable& table, const OpcUaSettings& ua, int Timeout_Merc230) {
    Lines out;
    out << ";kol," << table.Kol_KP, out.End();
    for (int i = 1; i <= table.Kol_KP; ++i) {
        const T_KP& kp = *table.Station(i);
        const int sst = i + 1000;
        out << "KP," << kp.ASDU_Adr << ",1," << kp.NameKP << "," << kp.IP, out.End();
        out << ";PORT," << kp.ASDU_Adr << ",1," << kp.NameKP << "," << kp.IP << "," << kp.Port, out.End();
        out << "PER," << Bit(kp.PereschetTI), out.End();
        out << "TIM," << Bit(kp.Time_To_OPC), out.End();
        out << "POPR," << kp.Popravka_Time, out.End();
        WriteOpcUaBlock(out, ua, Timeout_Merc230);
        for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
            const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
            out << "TS," << sst << "," << kp.ASDU_Adr << ",,\"" << ts.NameTS << "\"," << kFlagsTS << ","
                << ts.AdrASDU << "," << ts.AdrIOA << "," << ts.AdrASDU_TU << "," << ts.AdrIOA_TU << ","
                << ts.Type_TU << ",0";
            out.End();
        }
        for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
            const T_TI& ti = kp.TI_arr[static_cast<size_t>(j)];
            out << "TIT," << sst << "," << kp.ASDU_Adr << ",,\"" << ti.NameTI << "\"," << kFlagsTIT << ","
                << ti.AdrASDU << "," << ti.AdrIOA;
            for (int copy = 0; copy < 3; ++copy) out << "," << ti.Min_Eng_Diap << "," << ti.Max_Eng_Diap;
            out << "," << ti.Min_TM_Diap << "," << ti.Max_TM_Diap;
            out.End();
        }
    }
    return out.Take();
}

std::string FormatLinkFile(const StationTable& table) {
    Lines out;
    const int n = table.Kol_KP;
    out << n, out.End();
    auto each = [&](auto&& write) {
        for (int i = 1; i <= n; ++i) write(*table.Station(i));
    };
    each([&](const T_KP& kp) {
        const TIecDeviceVV& d = kp.IecDeviceVV;
        out << d.ComPort, out.End();
        out << d.BaudRate, out.End();
        out << d.Parity, out.End();
        out << d.Name, out.End();
        out << d.LinkTimeOut, out.End();
        out << d.Retries, out.End();
        out << d.PollingCycle, out.End();
        out << d.LinkAddress, out.End();
        out << d.ConfirmationTimeout, out.End();
        out << d.ConfirmationTimeout, out.End();
        out << d.TerminationTimeout, out.End();
        out << d.sz_LinkAddress, out.End();
        out << d.sz_InfObjAddress, out.End();
        out << d.sz_ASDUAddress, out.End();
    });
    each([&](const T_KP& kp) { out << kp.IecDeviceVV.bit_QU, out.End(); });
    each([&](const T_KP& kp) {
        out << kp.IecDeviceVV.sz_PrichinaPeredachi, out.End();
        out << kp.IecDeviceVV.opros_na_ustr, out.End();
    });
    each([&](const T_KP& kp) {
        out << kp.RTU_TCP, out.End();
        out << kp.PortTCP, out.End();
        out << Bit(kp.IecDeviceVV.Virtual_com), out.End();
    });
    each([&](const T_KP& kp) {
        out << kp.IecDeviceVV.Interval_opros_100, out.End();
        out << kp.IecDeviceVV.Interval_opros_counters_101, out.End();
        out << kp.IecDeviceVV.Interval_opros_address_102, out.End();
    });
    return out.Take();
}

std::string Write_Config(const StationTable& table, const OpcUaSettings& ua, int Timeout_Merc230,
                         const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::string errors;
    const std::string main_error =
        WriteFileAtomic(file, Utf8ToCp1251(FormatStationFile(table, ua, Timeout_Merc230)));
    if (!main_error.empty()) errors = main_error;
    const std::string link_error =
        WriteFileAtomic(folder / kLinkFileName, Utf8ToCp1251(FormatLinkFile(table)));
    if (!link_error.empty()) errors += (errors.empty() ? "" : "; ") + link_error;
    return errors;
}

}  // namespace iec
