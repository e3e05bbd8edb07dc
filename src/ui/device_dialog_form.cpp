#include "ui/device_dialog_form.h"

#include <climits>

namespace iec {

// The ranges of the form. The TCP port and the link address end at 65535: a larger value would reach another
// port or another station once cut to the 16 bits the line carries.
const std::array<NumberFieldRule, kDeviceNumbers>& DeviceNumberFields() {
    using F = DeviceNumber;
    static const std::array<NumberFieldRule, kDeviceNumbers> fields = {{
        {F::PortTCP, "TCP порт", "", 1, 65535, true, 32100, false},
        {F::LinkAddress, "Link Address\n(Адрес КП)", "", 1, 65535, true, 5, false},
        {F::opros_na_ustr, "Максимальное количество\nопросов на 1 устройство", "", 1, 65669, true, 10, false},
        {F::Interval_opros_100, "Периодический опрос", "мин", 1, 1000000, true, 10, false},
        {F::Interval_opros_counters_101, "Опрос счетчиков", "мин", 0, 1000000, true, 0, false},
        {F::Interval_opros_address_102, "Чтение объекта инф", "мин", 0, 1000000, true, 0, false},
        {F::Popravka_Time, "Поправка времени", "час", INT_MIN, INT_MAX, false, 0, false},
        {F::ASDU_Adr, "ASDU_Adr", "", 0, 65700, true, 1, true},
        {F::PollingCycle, "PollingCycle", "", 1, 65669, true, 1000, true},
        {F::LinkTimeOut, "LinkTimeOut", "", 1, 65669, true, 1000, true},
        {F::Retries, "Retries", "", 1, 65669, true, 3, true},
        {F::ConfirmationTimeout, "ConfirmationTimeout", "", 1, 65669, true, 3000, true},
        {F::TerminationTimeout, "TerminationTimeout", "", 1, 65669, true, 5000, true},
        {F::Port_WebServ, "Порт WEB-сервера", "", 20, 65000, true, 80, false},
        {F::Timeout_Merc230, "Таймау, мс", "", 10, 50000, true, 10, false},
    }};
    return fields;
}

const NumberFieldRule& RuleOf(DeviceNumber field) { return DeviceNumberFields()[static_cast<size_t>(field)]; }

const std::array<ChoiceFieldRule, kDeviceChoices>& DeviceChoiceFields() {
    using F = DeviceChoice;
    static const std::array<ChoiceFieldRule, kDeviceChoices> fields = {{
        {F::sz_InfObjAddress, "Information Object Addr", {"1", "2", "3"}, 1},
        {F::sz_LinkAddress, "Link Address", {"1", "2"}, 0},
        {F::sz_PrichinaPeredachi, "Причина передачи", {"1", "2"}, 0},
        {F::sz_ASDUAddress, "ASDU Address", {"1", "2"}, 0},
        {F::bit_QU,
         "Биты 3-7 QU байта команды упр-я 45 C_SC_NA",
         {"0 - нет дополнительного определения", "1 - короткий импульс (определен на КП)",
          "2 - длинный импульс (определен на КП)", "3 - постоянный выход"},
         0},
    }};
    return fields;
}

}  // namespace iec
