// What the station dialog shows: every field as the operator sees and types it. The view binds its controls to
// these members; the dialog logic (device_dialog.h) fills them when the dialog opens and reads them on "OK".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/signal_table.h"

namespace iec {

// The number fields, each with its label, range and the form's default.
enum class DeviceNumber {
    PortTCP,
    LinkAddress,
    opros_na_ustr,
    Interval_opros_100,
    Interval_opros_counters_101,
    Interval_opros_address_102,
    Popravka_Time,
    // kept on the form but hidden from the operator
    ASDU_Adr,
    PollingCycle,
    LinkTimeOut,
    Retries,
    ConfirmationTimeout,
    TerminationTimeout,
    // server-wide settings of cnf.ini
    Port_WebServ,
    Timeout_Merc230,
};
inline constexpr int kDeviceNumbers = 15;

struct NumberFieldRule {
    DeviceNumber field;
    const char* label;
    const char* unit;  // shown after the field ("мин", "час"), or empty
    int min;
    int max;
    bool bounded;  // false: any whole number
    int form_default;
    bool hidden;
};
const std::array<NumberFieldRule, kDeviceNumbers>& DeviceNumberFields();
const NumberFieldRule& RuleOf(DeviceNumber field);

// The fixed-choice lists; the station field is the choice's position (bit_QU) or the position plus 1 (sizes).
enum class DeviceChoice { sz_InfObjAddress, sz_LinkAddress, sz_PrichinaPeredachi, sz_ASDUAddress, bit_QU };
inline constexpr int kDeviceChoices = 5;

struct ChoiceFieldRule {
    DeviceChoice field;
    const char* label;
    std::vector<std::string> items;
    int form_default;  // position
};
const std::array<ChoiceFieldRule, kDeviceChoices>& DeviceChoiceFields();

struct DeviceDialogForm {
    std::string NameKP;
    bool RTU_TCP = false;      // "Подключение по TCP IP"
    bool Virtual_com = false;  // "Виртуальн. СОМ"
    // Editable lists: the text as typed, the list to choose from.
    std::string ComPort = "\\\\.\\COM1";
    std::vector<std::string> ComPortItems;
    std::string BaudRate = "9600";
    std::vector<std::string> BaudRateItems;
    std::string Parity = "N";
    std::vector<std::string> ParityItems;
    bool PereschetTI = false;  // "Пересчитывать из физического значения в инженерное"
    bool Time_To_OPC = false;  // "Передавать по ОРС метки времени МЭК-101"
    bool UseWebServer = false;
    bool Save_Obmen_v_File = false;
    // Number fields as typed, indexed by DeviceNumber.
    std::array<std::string, kDeviceNumbers> numbers;
    // Chosen positions, indexed by DeviceChoice; -1: none (a stored value the list does not hold).
    std::array<int, kDeviceChoices> choices{};
    SignalTable status{SignalKind::Status};
    SignalTable measured{SignalKind::Measured};

    std::string& Number(DeviceNumber f) { return numbers[static_cast<size_t>(f)]; }
    const std::string& Number(DeviceNumber f) const { return numbers[static_cast<size_t>(f)]; }
    int& Choice(DeviceChoice f) { return choices[static_cast<size_t>(f)]; }
    int Choice(DeviceChoice f) const { return choices[static_cast<size_t>(f)]; }
};

}  // namespace iec
