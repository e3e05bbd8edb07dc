#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/cp1251.h"
#include "platform/file_util.h"

namespace iec {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ini_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = dir_ / "cnf.ini";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void Put(const std::string& bytes) { ASSERT_EQ(WriteFileAtomic(path_, bytes), ""); }
    std::string Get() { return ReadFileBytes(path_).value_or("<missing>"); }

    std::filesystem::path dir_, path_;
};

TEST_F(IniFileTest, MissingFileOrKeyGivesTheDefault) {
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Port_WebServ", "Port_WebServ", 80), 80);
    Put("[Port_WebServ]\r\nPort_WebServ=8080\r\n");
    EXPECT_EQ(ini.ReadInteger("Port_WebServ", "Port_WebServ", 80), 8080);
    EXPECT_EQ(ini.ReadInteger("UseWebServer", "UseWebServer", 0), 0);
    EXPECT_EQ(ini.ReadString("Port_WebServ", "Other", "x"), "x");
}

TEST_F(IniFileTest, NamesIgnoreCaseAndBlanksAndQuotes) {
    Put(Utf8ToCp1251("; comment\r\n [Раздел] \r\n  Ключ  =  \"  значение \"  \r\nnum = 0x10\r\nbad=12abc\r\nflag=2\r\n"));
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("раздел", "КЛЮЧ", ""), "  значение ");
    EXPECT_EQ(ini.ReadInteger("РАЗДЕЛ", "NUM", 0), 16);
    EXPECT_EQ(ini.ReadInteger("раздел", "bad", -1), -1);
    EXPECT_TRUE(ini.ReadBool("раздел", "flag", false));
}

TEST_F(IniFileTest, FirstOfRepeatedSectionsAndKeysWins) {
    Put("[a]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nonly=4\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("a", "k", 0), 1);
    EXPECT_EQ(ini.ReadInteger("a", "only", 0), 0);
}

TEST_F(IniFileTest, WritingOneKeyKeepsEverythingElse) {
    Put("; settings\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    IniFile ini(path_);
    ASSERT_EQ(ini.WriteString("a", "Y", "20"), "");
    EXPECT_EQ(Get(), "; settings\r\n[A]\r\nx=1\r\nY=20\r\n\r\n[B]\r\nz=3\r\n");
    ASSERT_EQ(ini.WriteInteger("A", "w", 5), "");
    EXPECT_EQ(Get(), "; settings\r\n[A]\r\nx=1\r\nY=20\r\nw=5\r\n\r\n[B]\r\nz=3\r\n");
    ASSERT_EQ(ini.WriteBool("Новый", "ключ", true), "");
    EXPECT_EQ(Get(), "; settings\r\n[A]\r\nx=1\r\nY=20\r\nw=5\r\n\r\n[B]\r\nz=3\r\n[\xCD\xEE\xE2\xFB\xE9]\r\n\xEA\xEB\xFE\xF7=1\r\n");
    EXPECT_TRUE(ini.ReadBool("НОВЫЙ", "КЛЮЧ", false));
}

TEST_F(IniFileTest, WritingCreatesAMissingFile) {
    IniFile ini(path_);
    ASSERT_EQ(ini.WriteInteger("Port_WebServ", "Port_WebServ", 81), "");
    EXPECT_EQ(Get(), "[Port_WebServ]\r\nPort_WebServ=81\r\n");
}

TEST_F(IniFileTest, AtomicReplaceLeavesNoTemporaryFile) {
    Put("old");
    ASSERT_EQ(WriteFileAtomic(path_, "new content"), "");
    EXPECT_EQ(Get(), "new content");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1);
    EXPECT_NE(WriteFileAtomic(dir_ / "no_such_folder" / "f.ini", "x"), "");
}

TEST(FileUtil, SplitLinesTakesEveryLineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
}  // namespace iec
