#include "model/signal_type.h"

#include <array>
#include <utility>

namespace iec {

SignalType KeywordCode(std::string_view keyword) {
    static constexpr std::array<std::pair<std::string_view, SignalType>, 23> kKeywords{{
        {"SST", stSST},
        {"SS", stSS},
        {"KP", stKP},
        {"TS", stTS},
        {"TIT", stTIT},
        {"TI", stTIT},
        {"PER", stPER},
        {"TIM", stTIM},
        {"POPR", stPOPR},
        {"TSRU", stTSRU},
        {"PBTPU", stSystem},
        {"CHAN", stSystem},
        {"VER", stVER},
        {"OPC_UA_use", stOPC_UA_use},
        {"OPC_UA_writable", stOPC_UA_writable},
        {"OPC_UA_by_pwd", stOPC_UA_by_pwd},
        {"OPC_UA_Port", stOPC_UA_Port},
        {"OPC_UA_username", stOPC_UA_username},
        {"OPC_UA_password", stOPC_UA_password},
        {"OPC_UA_Control_podkl", stOPC_UA_Control_podkl},
        {"OPC_UA_Timeout_of_control", stOPC_UA_Timeout_of_control},
        {"Timeoutm230", stTimeout230},
        {"", stErr},
    }};
    for (const auto& [word, code] : kKeywords) {
        if (!word.empty() && word == keyword) return code;
    }
    return stErr;
}

}  // namespace iec
