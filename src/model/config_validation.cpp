#include "model/config_validation.h"

#include <map>
#include <utility>

#include "model/common_address.h"

namespace iec {
namespace {

std::string StationName(int i, const T_KP& kp) { return "station " + std::to_string(i) + " \"" + kp.NameKP + "\""; }

int64_t MaxFor(int octets) { return (int64_t{1} << (8 * octets)) - 1; }

class Checker {
public:
    explicit Checker(ConfigReport& report) : report_(report) {}

    void Range(const std::string& where, const char* field, int64_t v, int64_t lo, int64_t hi, const char* why = "") {
        if (v >= lo && v <= hi) return;
        report_.Warning(kStationFile, 0, where + " " + field,
                        "expected " + std::to_string(lo) + ".." + std::to_string(hi) + ", found " +
                            std::to_string(v) + why);
    }
    void Note(const std::string& where, const std::string& message) {
        report_.Warning(kStationFile, 0, where, message);
    }

private:
    static constexpr const char* kStationFile = "iec101.cfg";
    ConfigReport& report_;
};

void CheckLink(Checker& c, const std::string& where, const T_KP& kp) {
    const TIecDeviceVV& d = kp.IecDeviceVV;
    c.Range(where, "sz_LinkAddress", d.sz_LinkAddress, 1, 2);
    c.Range(where, "sz_InfObjAddress", d.sz_InfObjAddress, 1, 3);
    c.Range(where, "sz_PrichinaPeredachi", d.sz_PrichinaPeredachi, 1, 2);
    c.Range(where, "sz_ASDUAddress", d.sz_ASDUAddress, 1, 2);
    if (d.sz_LinkAddress >= 1 && d.sz_LinkAddress <= 2) {
        c.Range(where, "LinkAddress", d.LinkAddress, 0, MaxFor(d.sz_LinkAddress), " (link address width)");
    }
    if (d.sz_ASDUAddress >= 1 && d.sz_ASDUAddress <= 2) {
        c.Range(where, "ASDU_Adr", kp.ASDU_Adr, 0, MaxFor(d.sz_ASDUAddress), " (common address width)");
    }
    c.Range(where, "bit_QU", d.bit_QU, 0, 3);
    c.Range(where, "RTU_TCP", kp.RTU_TCP, 0, 1);
    if (kp.RTU_TCP == 1) {
        c.Range(where, "PortTCP", kp.PortTCP, 1, 65535);
        if (d.ComPort.empty()) c.Note(where + " ComPort", "no converter host is given");
    } else {
        if (d.ComPort.empty()) c.Note(where + " ComPort", "no serial port is given");
        if (!d.Virtual_com) c.Range(where, "BaudRate", d.BaudRate, 50, 4000000);
        if (d.Parity.size() != 1 || std::string("EONMS").find(d.Parity[0]) == std::string::npos) {
            c.Note(where + " Parity", "expected E, O, N, M or S, found \"" + d.Parity + "\"");
        }
    }
    c.Range(where, "Retries", d.Retries, 0, 1000);
    c.Range(where, "opros_na_ustr", d.opros_na_ustr, 1, 1000000);
}

void CheckSignals(Checker& c, const std::string& where, const T_KP& kp) {
    const TIecDeviceVV& d = kp.IecDeviceVV;
    const bool ioa_ok = d.sz_InfObjAddress >= 1 && d.sz_InfObjAddress <= 3;
    const bool ca_ok = d.sz_ASDUAddress >= 1 && d.sz_ASDUAddress <= 2;
    std::map<std::pair<int, int>, int> ts_seen, ti_seen;
    for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
        const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
        const std::string sig = where + " TS " + std::to_string(j) + " \"" + ts.NameTS + "\"";
        if (ioa_ok) c.Range(sig, "AdrIOA", ts.AdrIOA, 0, MaxFor(d.sz_InfObjAddress), " (object address width)");
        if (ca_ok) c.Range(sig, "AdrASDU", ts.AdrASDU, 0, MaxFor(d.sz_ASDUAddress), " (common address width)");
        c.Range(sig, "Type_TU", ts.Type_TU, 0, 3);
        if ((ts.AdrASDU_TU == 0) != (ts.AdrIOA_TU == 0)) {
            c.Note(sig, "only one of the two command addresses is set; the signal has no command");
        }
        auto [it, fresh] = ts_seen.emplace(std::make_pair(ts.AdrASDU, ts.AdrIOA), j);
        if (!fresh) c.Note(sig, "the same addresses as TS " + std::to_string(it->second));
    }
    for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
        const T_TI& ti = kp.TI_arr[static_cast<size_t>(j)];
        const std::string sig = where + " TIT " + std::to_string(j) + " \"" + ti.NameTI + "\"";
        if (ioa_ok) c.Range(sig, "AdrIOA", ti.AdrIOA, 0, MaxFor(d.sz_InfObjAddress), " (object address width)");
        if (ca_ok) c.Range(sig, "AdrASDU", ti.AdrASDU, 0, MaxFor(d.sz_ASDUAddress), " (common address width)");
        if (kp.PereschetTI && !(ti.Max_TM_Diap > ti.Min_TM_Diap) &&
            !(ti.Min_TM_Diap == 0 && ti.Max_TM_Diap == 0)) {
            c.Note(sig, "the raw range is empty or reversed; the value is published unscaled");
        }
        auto [it, fresh] = ti_seen.emplace(std::make_pair(ti.AdrASDU, ti.AdrIOA), j);
        if (!fresh) c.Note(sig, "the same addresses as TIT " + std::to_string(it->second));
    }
}

// Interrogations go to one common address. Signal lines naming several can only be reached through the global
// address, which not every station answers.
void CheckCommonAddress(Checker& c, const std::string& where, const T_KP& kp) {
    const InterrogationAddress a = InterrogationCommonAddress(kp);
    if (!a.global) return;
    std::string named;
    for (int ca : a.named) named += (named.empty() ? "" : ", ") + std::to_string(ca);
    c.Note(where + " AdrASDU", "the signals name the common addresses " + named +
                                   "; interrogations go to the global address " + std::to_string(a.address) +
                                   ", which the station must answer for each of them");
}

}  // namespace

ConfigReport ValidateStations(const StationTable& table) {
    ConfigReport report;
    Checker c(report);
    for (int i = 1; i <= table.Kol_KP; ++i) {
        const T_KP& kp = *table.Station(i);
        const std::string where = StationName(i, kp);
        CheckLink(c, where, kp);
        CheckSignals(c, where, kp);
        CheckCommonAddress(c, where, kp);
    }
    return report;
}

}  // namespace iec
