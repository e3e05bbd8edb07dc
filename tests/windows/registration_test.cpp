// iec101opc.exe's registration under Wine, read back with Wine's reg: /RegServer from a folder with a blank in its
// path, the per-user spellings, the category another installation described, /UnRegServer; and command lines the
// program refuses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/file_util.h"
#include "wine_process.h"

namespace iec {
namespace {

namespace fs = std::filesystem;
using test::RunWine;

constexpr const char* kClass = "HKEY_CLASSES_ROOT\\CLSID\\{E33BF843-F627-42BE-B289-9C249D651BC7}";
constexpr const char* kCategory =
    "HKEY_CLASSES_ROOT\\Component Categories\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
constexpr const char* kProgId = "HKEY_CLASSES_ROOT\\Varnok.OPCServer";
constexpr const char* kAppId = "HKEY_CLASSES_ROOT\\AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}";
const std::vector<std::string> kOurKeys = {kClass, kProgId, kAppId, kCategory};

// Keys with their string values, as `reg query KEY /s` lists them ("" is the default value).
using Keys = std::map<std::string, std::map<std::string, std::string>>;

class Registration : public ::testing::Test {
protected:
    Registration() {
        dir_ = fs::temp_directory_path() / ("wine_registration_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~Registration() override { fs::remove_all(dir_); }

    // The keys below each of keys, read by one run of Wine's command interpreter (a program start under Wine costs
    // seconds; the reg runs inside it do not).
    Keys Query(const std::vector<std::string>& keys) {
        std::string script = "@echo off\r\n";
        for (const auto& k : keys) script += "reg query \"" + k + "\" /s\r\n";
        const fs::path batch = dir_ / "query.cmd";
        EXPECT_EQ(WriteFileAtomic(batch, script), "");
        const test::WineRun run = RunWine("cmd", {"/c", test::WinePath(batch)}, dir_);
        Keys found;
        std::istringstream lines(run.output);
        std::string line;
        std::string current;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("HKEY_", 0) == 0) {
                current = line;
                found[current];
                continue;
            }
            const size_t type = line.find("    REG_SZ    ");
            if (current.empty() || type == std::string::npos || line.rfind("    ", 0) != 0) continue;
            std::string name = line.substr(4, type - 4);
            if (name == "(Default)") name.clear();
            found[current][name] = line.substr(type + 14);
        }
        return found;
    }

    test::WineRun Program(const fs::path& exe, const std::vector<std::string>& args) {
        return RunWine(exe.string(), args, dir_);
    }

    fs::path dir_;
};

TEST_F(Registration, RegServerFromAFolderWithABlankWritesEveryKeyAndUnRegServerRemovesThem) {
    const fs::path folder = dir_ / "Program Files" / "OPC";
    fs::create_directories(folder);
    fs::create_symlink(test::WindowsBin() / "iec101opc.exe", folder / "iec101opc.exe");
    const test::WineRun reg = Program(folder / "iec101opc.exe", {"-regserver"});
    ASSERT_EQ(reg.exit_code, 0) << reg.output;

    Keys keys = Query(kOurKeys);
    const std::string c = kClass;
    ASSERT_TRUE(keys.count(c)) << reg.output;
    EXPECT_EQ(keys[c][""], "OPC Server for IEC_101");
    EXPECT_EQ(keys[c]["AppID"], "{E33BF843-F627-42BE-B289-9C249D651BC7}");
    EXPECT_EQ(keys[c + "\\ProgID"][""], "Varnok.OPCServer");
    EXPECT_EQ(keys[c + "\\Version"][""], "1.0");
    EXPECT_EQ(keys[c + "\\TypeLib"][""], "{118921D1-0703-11D5-962A-00A024AEBA44}");
    EXPECT_TRUE(keys.count(c + "\\Implemented Categories\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}"));
    const std::string local_server = keys[c + "\\LocalServer32"][""];
    EXPECT_EQ(local_server.find(' '), std::string::npos) << local_server;
    EXPECT_EQ(keys[c + "\\LocalServer32"].count("ThreadingModel"), 0u);
    EXPECT_EQ(keys[kProgId][""], "OPC Server for IEC_101");
    EXPECT_EQ(keys[std::string(kProgId) + "\\Clsid"][""], "{E33BF843-F627-42BE-B289-9C249D651BC7}");
    EXPECT_TRUE(keys.count(std::string(kProgId) + "\\OPC"));
    EXPECT_EQ(keys[kAppId][""], "OPC Server for IEC_101");
    EXPECT_EQ(keys[kAppId]["RunAs"], "Interactive User");
    ASSERT_EQ(keys[kCategory].size(), 1u);
    EXPECT_EQ(keys[kCategory].begin()->second, "OPC Daten Server V2.0");

    // The short form names the program: started through it, the program removes its registration.
    const test::WineRun unreg = Program(local_server, {"/UnRegServer"});
    ASSERT_EQ(unreg.exit_code, 0) << unreg.output;
    EXPECT_TRUE(Query(kOurKeys).empty());
}

TEST_F(Registration, PerUserSpellingsKeepTheCategoryTextOfAnotherInstallation) {
    // The OPC Foundation's core components described the category before.
    ASSERT_EQ(RunWine("reg", {"add", kCategory, "/v", "409", "/d", "OPC Data Access Servers Version 2.0", "/f"}, dir_)
                  .exit_code,
              0);
    const fs::path exe = test::WindowsBin() / "iec101opc.exe";
    ASSERT_EQ(Program(exe, {"/RegServerPerUser"}).exit_code, 0);
    Keys keys = Query({kClass, kCategory});
    EXPECT_EQ(keys[std::string(kClass) + "\\ProgID"][""], "Varnok.OPCServer");
    EXPECT_EQ(keys[kCategory]["409"], "OPC Data Access Servers Version 2.0");
    ASSERT_EQ(Program(exe, {"-UNREGSERVERPERUSER"}).exit_code, 0);
    keys = Query({kClass, kCategory});
    EXPECT_FALSE(keys.count(kClass));
    EXPECT_EQ(keys[kCategory]["409"], "OPC Data Access Servers Version 2.0");
    RunWine("reg", {"delete", kCategory, "/f"}, dir_);
}

TEST_F(Registration, CommandLinesThatAreNotOursAreRefusedWithAMessage) {
    const fs::path exe = test::WindowsBin() / "iec101opc.exe";
    const test::WineRun unknown = Program(exe, {"/RegServer", "/Install"});
    EXPECT_EQ(unknown.exit_code, 2);
    EXPECT_NE(unknown.output.find("Неизвестный ключ командной строки: /Install"), std::string::npos) << unknown.output;
    EXPECT_NE(unknown.output.find("/RegServer, /UnRegServer"), std::string::npos) << unknown.output;
    EXPECT_FALSE(Query({kClass}).count(kClass));  // nothing registered by a mistyped line
    const test::WineRun no_folder = Program(exe, {"--dir"});
    EXPECT_EQ(no_folder.exit_code, 2);
    EXPECT_NE(no_folder.output.find("--dir needs a folder"), std::string::npos) << no_folder.output;
}

}  // namespace
}  // namespace iec
