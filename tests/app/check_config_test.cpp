// The configuration check as operators run it: the real program on a folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "app/json_writer.h"
#include "platform/file_util.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string out;
};

ProgramRun RunProgram(const std::string& args) {
    ProgramRun r;
    FILE* p = ::popen((std::string(IEC101OPC_PATH) + " " + args + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

class CheckConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("check_config_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const char* f : {"iec101.cfg", "iec101kp.cfg", "cnf.ini"}) {
            fs::copy_file(fs::path(IEC_SOURCE_DIR) / "demo" / f, dir_ / f);
        }
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(CheckConfigTest, DemoPrintsItsStationsAsJson) {
    const ProgramRun r = RunProgram("check-config --dir " + dir_.string() + " --json");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("{\"settings\":{\"UseWebServer\":true,\"Port_WebServ\":8080,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"NameKP\":\"ПС 110 кВ Северная\""), std::string::npos);
    EXPECT_NE(r.out.find("\"NameTS\":\"Дверь ЗРУ, ячейка 5\""), std::string::npos);
    EXPECT_NE(r.out.find("\"ComPort\":\"\\\\\\\\.\\\\COM3\""), std::string::npos);
    EXPECT_NE(r.out.find("\"IecDeviceVV\":{\"RTU_TCP\":1,\"PortTCP\":32101,\"ComPort\":\"127.0.0.1\""),
              std::string::npos);
    EXPECT_NE(r.out.find("3 stations, 0 errors, 0 warnings"), std::string::npos);
}

TEST_F(CheckConfigTest, LetterInANumericFieldIsAnErrorWithItsLine) {
    std::string text = *ReadFileBytes(dir_ / "iec101.cfg");
    const std::string good = "TS,1001,1,,\"\xC2\xFB\xEA\xEB\xFE\xF7\xE0\xF2\xE5\xEB\xFC Q2\",8272,1,2,";
    const size_t at = text.find(good);
    ASSERT_NE(at, std::string::npos);
    text.replace(at + good.size() - 2, 1, "Z");  // object address "2" becomes "Z"
    ASSERT_EQ(WriteFileAtomic(dir_ / "iec101.cfg", text), "");
    const ProgramRun r = RunProgram("check-config --dir " + dir_.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("error: iec101.cfg:17: field 7 (AdrIOA): expected an integer, found \"Z\""),
              std::string::npos)
        << r.out;
}

TEST_F(CheckConfigTest, UsageErrors) {
    EXPECT_EQ(RunProgram("check-config --bogus").status, 2);
    EXPECT_EQ(RunProgram("no-such-command").status, 2);
    const ProgramRun help = RunProgram("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("check-config"), std::string::npos);
}

TEST(JsonWriter, NestingCommasAndEscapes) {
    JsonWriter j;
    j.BeginObject().Field("a", 1).Key("b").BeginArray().String("x\"\\\n\x01").Bool(false).EndArray();
    j.Field("c", 0.5).Field("d", std::string("д")).Key("e").BeginObject().EndObject().EndObject();
    EXPECT_EQ(j.str(), "{\"a\":1,\"b\":[\"x\\\"\\\\\\n\\u0001\",false],\"c\":0.5,\"d\":\"д\",\"e\":{}}");
}

}  // namespace
}  // namespace iec
