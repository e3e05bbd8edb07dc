#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "model/text_routines.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "ui/error_log.h"
#include "ui/opcua_dialog.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

TEST(ErrorLog, EveryErrorIsOneLineWithItsType) {
    const fs::path dir = fs::temp_directory_path() / "ui_error_log";
    fs::remove_all(dir);
    fs::create_directories(dir);
    ManualClock clock(DateTime::Compose({2026, 2, 3, 4, 5, 6, 7}));
    const ErrorLog log(clock, dir);
    log.Guard([] { throw ConvertError("'x' is not a valid integer value"); });
    log.Guard([] { throw std::runtime_error("Ошибка чтения"); });
    log.Guard([] { throw 42; });
    log.Guard([] {});
    EXPECT_EQ(Cp1251ToUtf8(ReadFileBytes(dir / "error_iec104.log").value_or("")),
              "03.02.2026 04:05:06.007: 'x' is not a valid integer value . Class Name = iec::ConvertError\r\n"
              "03.02.2026 04:05:06.007: Ошибка чтения . Class Name = std::runtime_error\r\n"
              "03.02.2026 04:05:06.007: unknown error . Class Name = unknown\r\n");
    // A log that cannot be written is let be.
    const ErrorLog nowhere(clock, dir / "missing" / "folder");
    nowhere.Guard([] { throw std::logic_error("lost"); });
    EXPECT_FALSE(fs::exists(nowhere.File()));
    fs::remove_all(dir);
}

TEST(OpcUaDialog, OpensWithThePortShownForZeroAndStoresOnOk) {
    OpcUaSettings s;
    OpcUaDialog d;
    d.Open(s);
    EXPECT_EQ(s.OPC_UA_Port, 16101);
    EXPECT_EQ(d.Form().Port, "16101");
    EXPECT_FALSE(d.Form().OPC_UA_use);
    d.Form().OPC_UA_use = true;
    d.Form().OPC_UA_writable = true;
    d.Form().OPC_UA_by_pwd = true;
    d.Form().OPC_UA_username = "op";
    d.Form().OPC_UA_password = "pw";
    d.Form().Port = "65532";
    EXPECT_EQ(d.Check(), "");
    d.Store(s);
    EXPECT_TRUE(s.OPC_UA_use);
    EXPECT_TRUE(s.OPC_UA_writable);
    EXPECT_TRUE(s.OPC_UA_by_pwd);
    EXPECT_EQ(s.OPC_UA_username, "op");
    EXPECT_EQ(s.OPC_UA_password, "pw");
    EXPECT_EQ(s.OPC_UA_Port, 65532);
    // Settings the dialog does not show stay.
    s.OPC_UA_Timeout_of_control = 77;
    d.Open(s);
    d.Store(s);
    EXPECT_EQ(s.OPC_UA_Timeout_of_control, 77);
}

TEST(OpcUaDialog, RefusesWhatTheFileOrTheLibraryCannotCarry) {
    OpcUaSettings s;
    s.OPC_UA_Port = 4840;
    OpcUaDialog d;
    d.Open(s);
    auto check = [&](const std::string& user, const std::string& password, const std::string& port) {
        d.Form().OPC_UA_username = user;
        d.Form().OPC_UA_password = password;
        d.Form().Port = port;
        return d.Check();
    };
    EXPECT_EQ(check("", "", "1"), "");
    EXPECT_EQ(check("", "", "0"), "Порт: ожидается целое число от 1 до 65532");
    EXPECT_EQ(check("", "", "65533"), "Порт: ожидается целое число от 1 до 65532");
    EXPECT_EQ(check("", "", "x"), "Порт: ожидается целое число от 1 до 65532");
    EXPECT_EQ(check("a,b", "", "1"), "Имя пользователя: символ «,» недопустим");
    EXPECT_EQ(check("a", "пароль", "1"), "Пароль: допустимы только латинские буквы, цифры и знаки");
    EXPECT_EQ(check("a", " pw", "1"), "Пароль: пробелы в начале и в конце недопустимы");
    EXPECT_EQ(check("a b", "p w", "1"), "");
    EXPECT_EQ(check(std::string(60, 'u'), std::string(40, 'p'), "1"), "");
    EXPECT_EQ(check(std::string(60, 'u'), std::string(41, 'p'), "1"),
              "Имя пользователя и пароль вместе длиннее 100 символов");
    EXPECT_EQ(check(std::string(100, 'u'), "", "1"), "Имя пользователя и пароль вместе длиннее 100 символов");
}

}  // namespace
}  // namespace iec
