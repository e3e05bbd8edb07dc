#include <optional>

#include "model/signal_type.h"
#include "model/split_array.h"
#include "model/station_file.h"
#include "model/text_routines.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "platform/number_text.h"

namespace iec {
namespace {

// A field that must be a number is not one.
struct FieldError {
    std::string field;
    std::string message;
};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string FieldName(int index, const char* name) {
    return "field " + std::to_string(index) + " (" + name + ")";
}

class LineFields {
public:
    explicit LineFields(const TSplitArray& split) : split_(split) {}

    const std::string& Text(int i) const { return split_.GetField(i); }

    // Must be an integer, an empty field included.
    int StrictInt(int i, const char* name) const {
        const std::string& f = Text(i);
        if (auto v = ParseInt(f)) return *v;
        throw FieldError{FieldName(i, name), "expected an integer, found " + Quoted(f)};
    }
    // Empty gives 0, anything else must be an integer.
    int IntOrZero(int i, const char* name) const {
        try {
            return Str_To_Int_Or_Zero(Text(i));
        } catch (const ConvertError&) {
            throw FieldError{FieldName(i, name), "expected an integer, found " + Quoted(Text(i))};
        }
    }
    // Absent or empty gives 0; the separator is "." when the field holds a point, else ",".
    double Real(int i, const char* name) const {
        try {
            return Str_To_Float_Sep(Text(i), '_');
        } catch (const ConvertError&) {
            throw FieldError{FieldName(i, name), "expected a number, found " + Quoted(Text(i))};
        }
    }
    // Lenient: a non-number gives the default.
    int IntOr(int i, int def) const {
        auto v = ParseInt(Text(i));
        return v ? *v : def;
    }
    bool IsOne(int i) const { return IntOr(i, 0) == 1; }

private:
    const TSplitArray& split_;
};

// Fields 1, 2 and 5 of a TS or TIT line must be integers; their values are not kept.
void CheckSignalHeader(const LineFields& f) {
    f.StrictInt(1, "station index + 1000");
    f.StrictInt(2, "station number");
    f.StrictInt(5, "flag word");
}

void ReadStationLine(T_KP& kp, SignalType code, const LineFields& f) {
    switch (code) {
        case stPER:
            kp.PereschetTI = f.IsOne(1);
            break;
        case stTIM:
            kp.Time_To_OPC = f.IsOne(1);
            break;
        case stPOPR:
            kp.Popravka_Time = f.IntOr(1, 0);
            break;
        case stTS: {
            CheckSignalHeader(f);
            T_TS ts;
            ts.NameTS = Strip_Quotes(f.Text(4));
            ts.AdrASDU = f.IntOrZero(6, "AdrASDU");
            ts.AdrIOA = f.IntOrZero(7, "AdrIOA");
            ts.AdrASDU_TU = f.IntOrZero(8, "AdrASDU_TU");
            ts.AdrIOA_TU = f.IntOrZero(9, "AdrIOA_TU");
            ts.Type_TU = f.IntOrZero(10, "Type_TU");
            kp.AddTS() = std::move(ts);
            break;
        }
        case stTIT: {
            CheckSignalHeader(f);
            T_TI ti;
            ti.NameTI = Strip_Quotes(f.Text(4));
            ti.AdrASDU = f.IntOrZero(6, "AdrASDU");
            ti.AdrIOA = f.IntOrZero(7, "AdrIOA");
            ti.Min_Eng_Diap = f.Real(8, "Min_Eng_Diap");
            ti.Max_Eng_Diap = f.Real(9, "Max_Eng_Diap");
            for (int i = 10; i <= 13; ++i) f.Real(i, "engineering range copy");
            ti.Min_TM_Diap = f.Real(14, "Min_TM_Diap");
            ti.Max_TM_Diap = f.Real(15, "Max_TM_Diap");
            kp.AddTI() = std::move(ti);
            break;
        }
        default:
            break;
    }
}

void ReadSettingLine(OpcUaSettings& ua, SignalType code, const LineFields& f) {
    switch (code) {
        case stOPC_UA_use: ua.OPC_UA_use = f.IsOne(1); break;
        case stOPC_UA_writable: ua.OPC_UA_writable = f.IsOne(1); break;
        case stOPC_UA_by_pwd: ua.OPC_UA_by_pwd = f.IsOne(1); break;
        case stOPC_UA_Control_podkl: ua.OPC_UA_Control_podkl = f.IsOne(1); break;
        case stOPC_UA_Port: ua.OPC_UA_Port = f.IntOr(1, 16670); break;
        case stOPC_UA_Timeout_of_control: ua.OPC_UA_Timeout_of_control = f.IntOr(1, 16670); break;
        case stOPC_UA_username: ua.OPC_UA_username = f.Text(1); break;
        case stOPC_UA_password: ua.OPC_UA_password = f.Text(1); break;
        default: break;
    }
}

// The link-parameter file: one value per line, read in the order the writer puts them.
class LinkFileCursor {
public:
    explicit LinkFileCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    bool AtEnd() const { return next_ >= lines_.size(); }
    int LineNo() const { return static_cast<int>(next_); }

    // The whole line.
    std::optional<std::string> Text() {
        if (AtEnd()) return std::nullopt;
        return lines_[next_++];
    }
    // An integer at the start of the line; what follows a blank after it does not count.
    std::optional<int> Int(const char* name) {
        if (AtEnd()) return std::nullopt;
        const std::string& line = lines_[next_++];
        const std::string t = TrimText(line);
        const std::string token = t.substr(0, t.find_first_of(" \t"));
        if (auto v = ParseInt(token)) return v;
        throw FieldError{name, "expected an integer, found " + Quoted(line)};
    }

private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
};

void ReadLinkFile(StationTable& table, const std::optional<std::string>& bytes, ConfigReport& report) {
    if (!bytes) {
        if (table.Kol_KP > 0) {
            report.Warning(kLinkFileName, 0, "", "file not found; the stations keep their default link parameters");
        }
        return;
    }
    LinkFileCursor in(SplitLines(DecodeFileText(*bytes)));
    try {
        const auto n = in.Int("number of stations");
        if (!n) {
            report.Error(kLinkFileName, 1, "number of stations", "the file is empty");
            return;
        }
        if (*n < 0 || *n > kMaxStations) {
            report.Error(kLinkFileName, 1, "number of stations",
                         "expected 0.." + std::to_string(kMaxStations) + ", found " + std::to_string(*n));
            return;
        }
        if (*n != table.Kol_KP) {
            report.Warning(kLinkFileName, 1, "number of stations",
                           std::to_string(*n) + " stations here, " + std::to_string(table.Kol_KP) + " in " +
                               kStationFileName + "; " + std::to_string(*n) + " stations are in use");
        }
        table.Kol_KP = *n;
        auto ends_early = [&] {
            report.Warning(kLinkFileName, in.LineNo(), "",
                           "the file ends early; the remaining link parameters keep their values");
        };
        auto get_int = [&](int& dst, const char* name) {
            if (auto v = in.Int(name)) {
                dst = *v;
                return true;
            }
            return false;
        };
        auto get_text = [&](std::string& dst) {
            if (auto v = in.Text()) {
                dst = *v;
                return true;
            }
            return false;
        };
        const int count = *n;
        for (int i = 1; i <= count; ++i) {
            TIecDeviceVV& d = table.KP_arr[static_cast<size_t>(i)].IecDeviceVV;
            if (!(get_text(d.ComPort) && get_int(d.BaudRate, "BaudRate") && get_text(d.Parity) &&
                  get_text(d.Name) && get_int(d.LinkTimeOut, "LinkTimeOut") && get_int(d.Retries, "Retries") &&
                  get_int(d.PollingCycle, "PollingCycle") && get_int(d.LinkAddress, "LinkAddress") &&
                  get_int(d.ConfirmationTimeout, "ConfirmationTimeout") &&
                  get_int(d.ConfirmationTimeout, "ConfirmationTimeout") &&
                  get_int(d.TerminationTimeout, "TerminationTimeout") &&
                  get_int(d.sz_LinkAddress, "sz_LinkAddress") && get_int(d.sz_InfObjAddress, "sz_InfObjAddress") &&
                  get_int(d.sz_ASDUAddress, "sz_ASDUAddress"))) {
                return ends_early();
            }
        }
        for (int i = 1; i <= count; ++i) {
            if (!get_int(table.KP_arr[static_cast<size_t>(i)].IecDeviceVV.bit_QU, "bit_QU")) return ends_early();
        }
        for (int i = 1; i <= count; ++i) {
            TIecDeviceVV& d = table.KP_arr[static_cast<size_t>(i)].IecDeviceVV;
            if (!get_int(d.sz_PrichinaPeredachi, "sz_PrichinaPeredachi")) return ends_early();
            if (d.sz_PrichinaPeredachi == 0) d.sz_PrichinaPeredachi = 1;
            if (!get_int(d.opros_na_ustr, "opros_na_ustr")) return ends_early();
            if (d.opros_na_ustr == 0) d.opros_na_ustr = 10;
        }
        for (int i = 1; i <= count; ++i) {
            T_KP& kp = table.KP_arr[static_cast<size_t>(i)];
            int virt = 0;
            if (!get_int(kp.RTU_TCP, "RTU_TCP") || !get_int(kp.PortTCP, "PortTCP") || !get_int(virt, "Virtual_com")) {
                return ends_early();
            }
            kp.IecDeviceVV.RTU_TCP = kp.RTU_TCP;
            kp.IecDeviceVV.PortTCP = kp.PortTCP;
            kp.IecDeviceVV.Virtual_com = virt == 1;
        }
        for (int i = 1; i <= count; ++i) {
            TIecDeviceVV& d = table.KP_arr[static_cast<size_t>(i)].IecDeviceVV;
            if (!get_int(d.Interval_opros_100, "Interval_opros_100") ||
                !get_int(d.Interval_opros_counters_101, "Interval_opros_counters_101") ||
                !get_int(d.Interval_opros_address_102, "Interval_opros_address_102")) {
                return ends_early();
            }
        }
    } catch (const FieldError& e) {
        report.Error(kLinkFileName, in.LineNo(), e.field, e.message);
    }
}

}  // namespace

ConfigReport Read_Config(StationTable& table, OpcUaSettings& ua, const std::filesystem::path& file,
                         const std::filesystem::path& folder, const StationFileOptions& options) {
    const std::string name = file.filename().string();
    const auto bytes = ReadFileBytes(file);
    if (!bytes) {
        ConfigReport report;
        report.Warning(name, 0, "", "file not found; no stations are configured");
        return report;
    }
    return ParseStationFiles(table, ua, name, *bytes, ReadFileBytes(folder / kLinkFileName), options);
}

ConfigReport ParseStationFiles(StationTable& table, OpcUaSettings& ua, const std::string& name,
                               std::string_view main_bytes, const std::optional<std::string>& link_bytes,
                               const StationFileOptions& options) {
    ConfigReport report;
    table.Kol_KP = 0;
    const std::vector<std::string> lines = SplitLines(DecodeFileText(main_bytes));
    TSplitArray split(20, ',');
    bool stopped = false;
    for (size_t k = 0; k < lines.size() && !stopped; ++k) {
        const int line_no = static_cast<int>(k) + 1;
        if (lines[k] == ";dll_plugun101") break;
        const std::string line = TrimText(lines[k]);
        if (line.empty() || line[0] == ';') continue;
        split.SplitString(line);
        const LineFields f(split);
        const SignalType code = KeywordCode(f.Text(0));
        try {
            switch (code) {
                case stKP: {
                    const int asdu = f.StrictInt(1, "ASDU_Adr");
                    f.StrictInt(2, "integer");
                    if (table.Kol_KP >= kMaxStations) {
                        report.Error(name, line_no, "",
                                     "more than " + std::to_string(kMaxStations) +
                                         " stations; this station and the rest of the file are not read");
                        stopped = true;
                        break;
                    }
                    ++table.Kol_KP;
                    T_KP& kp = table.KP_arr[static_cast<size_t>(table.Kol_KP)];
                    kp.ASDU_Adr = asdu;
                    kp.NameKP = f.Text(3);
                    kp.IP = f.Text(4);
                    kp.Kol_TI = 0;
                    kp.Kol_TS = 0;
                    break;
                }
                case stPER:
                case stTIM:
                case stPOPR:
                case stTS:
                case stTIT:
                    if (table.Kol_KP == 0) {
                        report.Warning(name, line_no, "", "line before the first KP line belongs to no station; ignored");
                        break;
                    }
                    ReadStationLine(table.KP_arr[static_cast<size_t>(table.Kol_KP)], code, f);
                    break;
                default:
                    ReadSettingLine(ua, code, f);
                    break;
            }
        } catch (const FieldError& e) {
            report.Error(name, line_no, e.field, e.message);
            if (options.stop_at_error) return report;
        }
    }
    ReadLinkFile(table, link_bytes, report);
    return report;
}

}  // namespace iec
