#include "opcda/registration/start_mode.h"

#include <algorithm>
#include <cctype>

namespace iec::opcda {
namespace {

struct Switch {
    const char* word;
    StartMode mode;
    bool per_user;
};

// In the order they are tested: a COM start wins over everything, registering over unregistering.
constexpr Switch kSwitches[] = {
    {"AUTOMATION", StartMode::ByCom, false},         {"EMBEDDING", StartMode::ByCom, false},
    {"REGSERVER", StartMode::Register, false},       {"UNREGSERVER", StartMode::Unregister, false},
    {"REGSERVERPERUSER", StartMode::Register, true}, {"UNREGSERVERPERUSER", StartMode::Unregister, true},
};

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool IsSwitch(const std::string& arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

// The switch word of an argument, or empty when it is not introduced by "/" or "-".
std::string SwitchWord(const std::string& arg) { return IsSwitch(arg) ? Upper(arg.substr(1)) : std::string(); }

}  // namespace

const char* const kSwitchHelp =
    "Ключи: /RegServer, /UnRegServer, /RegServerPerUser, /UnRegServerPerUser (регистрация OPC-сервера), "
    "/Embedding, /Automation (запуск через COM), --dir ПАПКА (папка программы).";

StartSwitches ParseStartSwitches(const std::vector<std::string>& args) {
    StartSwitches result;
    for (const auto& arg : args) {
        const std::string word = SwitchWord(arg);
        const bool known = std::any_of(std::begin(kSwitches), std::end(kSwitches),
                                       [&](const Switch& s) { return word == s.word; });
        if (!known) {
            result.error = (IsSwitch(arg) ? "Неизвестный ключ командной строки: " : "Лишний параметр командной строки: ") +
                           arg + "\n" + kSwitchHelp;
            return result;
        }
    }
    for (const Switch& s : kSwitches) {
        const bool given = std::any_of(args.begin(), args.end(), [&](const std::string& a) { return SwitchWord(a) == s.word; });
        if (given) {
            result.mode = s.mode;
            result.per_user = s.per_user;
            break;
        }
    }
    return result;
}

}  // namespace iec::opcda
