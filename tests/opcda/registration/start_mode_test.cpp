// The command line of the Windows program: every spelling of every switch, their order, and words it refuses.
#include <gtest/gtest.h>

#include "opcda/registration/start_mode.h"

namespace iec::opcda {
namespace {

StartSwitches Parse(std::vector<std::string> args) { return ParseStartSwitches(args); }

TEST(StartSwitches, EverySpellingOfEverySwitch) {
    struct Case {
        const char* arg;
        StartMode mode;
        bool per_user;
    };
    const Case cases[] = {
        {"/RegServer", StartMode::Register, false},         {"-regserver", StartMode::Register, false},
        {"/REGSERVER", StartMode::Register, false},         {"-RegServer", StartMode::Register, false},
        {"/UnRegServer", StartMode::Unregister, false},     {"-unregserver", StartMode::Unregister, false},
        {"/RegServerPerUser", StartMode::Register, true},   {"-regserverperuser", StartMode::Register, true},
        {"/UNREGSERVERPERUSER", StartMode::Unregister, true}, {"-UnRegServerPerUser", StartMode::Unregister, true},
        {"/Embedding", StartMode::ByCom, false},            {"-Embedding", StartMode::ByCom, false},
        {"/Automation", StartMode::ByCom, false},           {"-AUTOMATION", StartMode::ByCom, false},
    };
    for (const Case& c : cases) {
        const StartSwitches s = Parse({c.arg});
        EXPECT_EQ(s.error, "") << c.arg;
        EXPECT_EQ(s.mode, c.mode) << c.arg;
        EXPECT_EQ(s.per_user, c.per_user) << c.arg;
    }
    const StartSwitches none = Parse({});
    EXPECT_EQ(none.mode, StartMode::Interactive);
    EXPECT_FALSE(none.per_user);
    EXPECT_EQ(none.error, "");
}

TEST(StartSwitches, TheFirstOfTheFixedOrderDecidesWhereverItStands) {
    EXPECT_EQ(Parse({"/UnRegServer", "/RegServer"}).mode, StartMode::Register);
    EXPECT_EQ(Parse({"/RegServer", "-Embedding"}).mode, StartMode::ByCom);
    const StartSwitches s = Parse({"/UnRegServerPerUser", "-regserver"});
    EXPECT_EQ(s.mode, StartMode::Register);
    EXPECT_FALSE(s.per_user);
    EXPECT_EQ(Parse({"/RegServerPerUser", "/UnRegServer"}).mode, StartMode::Unregister);
}

TEST(StartSwitches, UnknownWordsAreRefusedWithTheWordAndTheSwitches) {
    for (const char* word : {"/foo", "--regserver", "/regserve", "/RegServer2", "-", "/", "/Embedding:1"}) {
        const StartSwitches s = Parse({word});
        EXPECT_NE(s.error.find("Неизвестный ключ командной строки: " + std::string(word)), std::string::npos) << word;
        EXPECT_NE(s.error.find(kSwitchHelp), std::string::npos) << word;
        EXPECT_EQ(s.mode, StartMode::Interactive) << word;
    }
    const StartSwitches loose = Parse({"regserver"});
    EXPECT_NE(loose.error.find("Лишний параметр командной строки: regserver"), std::string::npos) << loose.error;
    // One bad word spoils a line with good switches: nothing is registered by a command line that was mistyped.
    const StartSwitches mixed = Parse({"/RegServer", "/x"});
    EXPECT_NE(mixed.error, "");
    EXPECT_EQ(mixed.mode, StartMode::Interactive);
}

}  // namespace
}  // namespace iec::opcda
