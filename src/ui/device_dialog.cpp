#include "ui/device_dialog.h"

#include <algorithm>

#include "model/text_routines.h"
#include "platform/number_text.h"
#include "ui/name_check.h"
#include "ui/ui_texts.h"

namespace iec {
namespace {

constexpr int kNewStationRows = 20;  // header and 19 empty rows
constexpr int kConfiguratorMinTimeout = 25;

std::vector<std::string> PortItems(bool config_mode) {
    std::vector<std::string> items = {"127.0.0.1"};
    if (config_mode) {
        for (int i = 0; i <= 30; ++i) items.push_back("/dev/ttyS" + std::to_string(i));
    } else {
        for (int i = 1; i <= 36; ++i) items.push_back("\\\\.\\COM" + std::to_string(i));
    }
    return items;
}

std::string TableProblem(const SignalTable& table) {
    for (int r = 1; r < table.Rows(); ++r) {
        const std::string why = NameProblem(table.Cell(r, 1), NameUse::Signal);
        if (!why.empty()) {
            return std::string(table.Kind() == SignalKind::Status ? ui_text::kStatusPage : ui_text::kMeasuredPage) +
                   ", строка " + std::to_string(r) + ", «" + table.Headers()[0] + "»: " + why;
        }
    }
    return {};
}

}  // namespace

DeviceDialog::DeviceDialog(bool config_mode) : config_mode_(config_mode) {
    for (const NumberFieldRule& f : DeviceNumberFields()) SetNumber(f.field, f.form_default);
    for (const ChoiceFieldRule& f : DeviceChoiceFields()) SetChoice(f.field, f.form_default);
    form_.ComPortItems = PortItems(config_mode);
    if (config_mode) form_.ComPort = "/dev/ttyS0";
    form_.BaudRateItems = {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200", "300"};
    form_.ParityItems = {"E", "O", "N", "M", "S"};
}

int DeviceDialog::NumberValue(DeviceNumber field, const std::string& text) {
    const NumberFieldRule& rule = RuleOf(field);
    const std::optional<int32_t> typed = ParseInt(text);
    if (field == DeviceNumber::opros_na_ustr && (!typed || *typed < 1)) return 10;
    if (!typed) return rule.form_default;
    return rule.bounded ? std::clamp(*typed, rule.min, rule.max) : *typed;
}

void DeviceDialog::SetNumber(DeviceNumber field, int value) {
    form_.Number(field) = std::to_string(NumberValue(field, std::to_string(value)));
}

void DeviceDialog::SetChoice(DeviceChoice field, int position) {
    const auto& items = DeviceChoiceFields()[static_cast<size_t>(field)].items;
    form_.Choice(field) = position >= 0 && position < static_cast<int>(items.size()) ? position : -1;
}

int DeviceDialog::ChoiceValue(DeviceChoice field, int stored) const {
    const int position = form_.Choice(field);
    if (position < 0) return stored;
    return field == DeviceChoice::bit_QU ? position : position + 1;
}

void DeviceDialog::BeforeShowOptionsUstr(int n, const StationTable& table, const ServerSettings& settings) {
    form_.UseWebServer = settings.UseWebServer;
    SetNumber(DeviceNumber::Port_WebServ, settings.Port_WebServ);
    SetNumber(DeviceNumber::Timeout_Merc230, settings.Timeout_Merc230);
    form_.Save_Obmen_v_File = settings.Save_Obmen_v_File;
    number_ = n;
    const T_KP* kp = table.Station(n);
    new_station_ = kp == nullptr;
    if (new_station_) {
        base_ = T_KP{};
        form_.NameKP = ui_text::kNewStationPrefix + std::to_string(n);
        form_.status.Reset(kNewStationRows);
        form_.measured.Reset(kNewStationRows);
        return;
    }
    base_ = *kp;
    const TIecDeviceVV& d = kp->IecDeviceVV;
    form_.NameKP = kp->NameKP;
    form_.RTU_TCP = kp->RTU_TCP == 1;
    SetNumber(DeviceNumber::PortTCP, kp->PortTCP);
    form_.Virtual_com = d.Virtual_com;
    form_.ComPort = d.ComPort;
    form_.BaudRate = std::to_string(d.BaudRate);
    form_.Parity = d.Parity;
    SetNumber(DeviceNumber::LinkAddress, d.LinkAddress);
    SetChoice(DeviceChoice::sz_InfObjAddress, d.sz_InfObjAddress - 1);
    SetChoice(DeviceChoice::sz_LinkAddress, d.sz_LinkAddress - 1);
    SetChoice(DeviceChoice::sz_PrichinaPeredachi, d.sz_PrichinaPeredachi - 1);
    SetChoice(DeviceChoice::sz_ASDUAddress, d.sz_ASDUAddress - 1);
    SetChoice(DeviceChoice::bit_QU, d.bit_QU);
    SetNumber(DeviceNumber::opros_na_ustr, d.opros_na_ustr);
    SetNumber(DeviceNumber::Interval_opros_100, d.Interval_opros_100);
    SetNumber(DeviceNumber::Interval_opros_counters_101, d.Interval_opros_counters_101);
    SetNumber(DeviceNumber::Interval_opros_address_102, d.Interval_opros_address_102);
    SetNumber(DeviceNumber::Popravka_Time, kp->Popravka_Time);
    form_.PereschetTI = kp->PereschetTI;
    form_.Time_To_OPC = kp->Time_To_OPC;
    SetNumber(DeviceNumber::ASDU_Adr, kp->ASDU_Adr);
    SetNumber(DeviceNumber::PollingCycle, d.PollingCycle);
    SetNumber(DeviceNumber::LinkTimeOut, d.LinkTimeOut);
    SetNumber(DeviceNumber::Retries, d.Retries);
    SetNumber(DeviceNumber::ConfirmationTimeout, d.ConfirmationTimeout);
    SetNumber(DeviceNumber::TerminationTimeout, d.TerminationTimeout);
    form_.status.Load(*kp);
    form_.measured.Load(*kp);
}

void DeviceDialog::PrepareNewStation(const ServerSettings& settings) {
    form_.Save_Obmen_v_File = settings.Save_Obmen_v_File;
    SetNumber(DeviceNumber::PortTCP, 32100);
    form_.RTU_TCP = false;
    form_.Virtual_com = false;
    SetNumber(DeviceNumber::opros_na_ustr, 10);
}

void DeviceDialog::Defaults() {
    SetNumber(DeviceNumber::PollingCycle, 1000);
    SetNumber(DeviceNumber::LinkAddress, 1);
    SetNumber(DeviceNumber::LinkTimeOut, 1000);
    SetNumber(DeviceNumber::Retries, 3);
    SetNumber(DeviceNumber::ConfirmationTimeout, 3000);
    SetNumber(DeviceNumber::TerminationTimeout, 5000);
    SetChoice(DeviceChoice::sz_InfObjAddress, 1);
    SetChoice(DeviceChoice::sz_LinkAddress, 0);
    form_.ComPort = "\\\\.\\COM1";
    form_.BaudRate = "9600";
    form_.Parity = "N";
}

std::string DeviceDialog::Check() const {
    if (std::string why = NameProblem(form_.NameKP, NameUse::Station); !why.empty()) {
        return "«Имя устройства»: " + why;
    }
    // The port and the parity are lines of iec101kp.cfg.
    if (std::string why = Cp1251Problem(form_.ComPort); !why.empty()) return "«COM-порт или IP-адрес»: " + why;
    if (std::string why = Cp1251Problem(form_.Parity); !why.empty()) return "«Контроль четности»: " + why;
    if (std::string why = TableProblem(form_.status); !why.empty()) return why;
    return TableProblem(form_.measured);
}

T_KP DeviceDialog::ToStation() const {
    T_KP kp = base_;
    TIecDeviceVV& d = kp.IecDeviceVV;
    // The station file keeps no blanks around a station name.
    kp.NameKP = TrimText(form_.NameKP);
    d.Name = kp.NameKP;
    kp.RTU_TCP = form_.RTU_TCP ? 1 : 0;
    kp.PortTCP = Value(DeviceNumber::PortTCP);
    d.RTU_TCP = kp.RTU_TCP;
    d.PortTCP = kp.PortTCP;
    d.Virtual_com = form_.Virtual_com;
    d.ComPort = form_.ComPort;
    d.BaudRate = ParseInt(form_.BaudRate).value_or(9600);
    d.Parity = form_.Parity;
    d.LinkAddress = Value(DeviceNumber::LinkAddress);
    d.sz_InfObjAddress = ChoiceValue(DeviceChoice::sz_InfObjAddress, base_.IecDeviceVV.sz_InfObjAddress);
    d.sz_LinkAddress = ChoiceValue(DeviceChoice::sz_LinkAddress, base_.IecDeviceVV.sz_LinkAddress);
    d.sz_PrichinaPeredachi =
        ChoiceValue(DeviceChoice::sz_PrichinaPeredachi, base_.IecDeviceVV.sz_PrichinaPeredachi);
    d.sz_ASDUAddress = ChoiceValue(DeviceChoice::sz_ASDUAddress, base_.IecDeviceVV.sz_ASDUAddress);
    d.bit_QU = ChoiceValue(DeviceChoice::bit_QU, base_.IecDeviceVV.bit_QU);
    d.opros_na_ustr = Value(DeviceNumber::opros_na_ustr);
    d.Interval_opros_100 = Value(DeviceNumber::Interval_opros_100);
    d.Interval_opros_counters_101 = Value(DeviceNumber::Interval_opros_counters_101);
    d.Interval_opros_address_102 = Value(DeviceNumber::Interval_opros_address_102);
    kp.Popravka_Time = Value(DeviceNumber::Popravka_Time);
    kp.PereschetTI = form_.PereschetTI;
    kp.Time_To_OPC = form_.Time_To_OPC;
    kp.ASDU_Adr = Value(DeviceNumber::ASDU_Adr);
    d.PollingCycle = Value(DeviceNumber::PollingCycle);
    d.LinkTimeOut = Value(DeviceNumber::LinkTimeOut);
    d.Retries = Value(DeviceNumber::Retries);
    d.ConfirmationTimeout = Value(DeviceNumber::ConfirmationTimeout);
    d.TerminationTimeout = Value(DeviceNumber::TerminationTimeout);
    form_.status.StoreInto(kp);
    form_.measured.StoreInto(kp);
    return kp;
}

ServerSettings DeviceDialog::ToSettings() const {
    ServerSettings s;
    s.UseWebServer = form_.UseWebServer;
    s.Port_WebServ = Value(DeviceNumber::Port_WebServ);
    s.Timeout_Merc230 = Value(DeviceNumber::Timeout_Merc230);
    if (config_mode_) s.Timeout_Merc230 = std::max(s.Timeout_Merc230, kConfiguratorMinTimeout);
    s.Save_Obmen_v_File = form_.Save_Obmen_v_File;
    return s;
}

}  // namespace iec
