// Keywords of the station file and the kinds of configured signals.
#pragma once

#include <string_view>

namespace iec {

enum SignalType {
    stSST,
    stSS,
    stKP,
    stTS,
    stTIT,
    stPER,
    stTIM,
    stPOPR,
    stTSRU,
    stSystem,
    stVER,
    stErr,
    stOPC_UA_use,
    stOPC_UA_writable,
    stOPC_UA_by_pwd,
    stOPC_UA_Port,
    stOPC_UA_username,
    stOPC_UA_password,
    stOPC_UA_Control_podkl,
    stOPC_UA_Timeout_of_control,
    stTimeout230,
};

// The code of a line's keyword (compared case-sensitively); stErr for an unknown one.
SignalType KeywordCode(std::string_view keyword);

}  // namespace iec
