#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/flag.h"
#include "model/split_array.h"
#include "model/text_routines.h"
#include "model/time_checker.h"
#include "platform/clock.h"

namespace iec {
namespace {

TEST(TFLAG, OperationsOnBitsModulo32) {
    TFLAG f(0);
    EXPECT_FALSE(f.Operation(FSet, 3));
    EXPECT_FALSE(f.Operation(FSet, 36));  // bit 4
    EXPECT_EQ(f.fln, 0x18);
    EXPECT_TRUE(f.Operation(FYes, 3));
    EXPECT_FALSE(f.Operation(FNo, 35));
    EXPECT_TRUE(f.Operation(FNo, 5));
    EXPECT_FALSE(f.Operation(FClear, 3));
    EXPECT_EQ(f.fln, 0x10);
    EXPECT_FALSE(f.Operation(FSet, 31));
    EXPECT_TRUE(f.Operation(FYes, 31));
    EXPECT_FALSE(f.Operation(FClearAll, 0));
    EXPECT_EQ(f.fln, 0);
    EXPECT_TRUE(Flag_Any(0x6, 0x4));
    EXPECT_TRUE(Flag_None(0x6, 0x9));
    EXPECT_EQ(kFlagsTS, 8272);
    EXPECT_EQ(kFlagsTIT, 8280);
}

TEST(TTimeCheckPause, ExpiresAndRestarts) {
    ManualClock clock(DateTime::Compose({2026, 1, 1, 10}));
    TTimeCheckPause t(clock, 1);
    clock.AdvanceMs(1500);
    EXPECT_TRUE(t.CheckExpire(1000, 1));
    EXPECT_FALSE(t.CheckExpire(1000, 1));
    clock.AdvanceMs(1000);
    EXPECT_FALSE(t.CheckExpire(1000, 1));  // exactly the pause is not yet expired
    clock.AdvanceMs(1);
    EXPECT_TRUE(t.CheckExpire(1000, 0));
    EXPECT_FALSE(t.prStart);
    // A stopped checker still measures from its last start.
    clock.AdvanceMs(5000);
    EXPECT_EQ(t.TimeFromStart(), 6001);
}

TEST(TTimeChecker, OneMidnightIsHandledTwoAreADayShort) {
    ManualClock clock(DateTime::Compose({2026, 1, 1, 23, 59, 59}));
    TTimeChecker t(clock, 1);
    clock.AdvanceMs(2000);
    EXPECT_EQ(t.TimeFromStart(), 2000);
    clock.Set(DateTime::Compose({2026, 1, 3, 0, 0, 1}));
    EXPECT_EQ(t.TimeFromStart(), 2000);  // 24 h + 2 s really passed
    TTimeChecker unstarted(clock, 5);
    EXPECT_FALSE(unstarted.prStart);
}

TEST(TSplitArray, QuotedSeparatorsStayInOneField) {
    TSplitArray s(20, ',');
    s.SplitString(R"(TS, 1001 ,1,"A,B",x)");
    ASSERT_EQ(s.nvar, 5);
    EXPECT_EQ(s.GetField(1), "1001");
    EXPECT_EQ(s.GetField(3), R"("A,B")");
    EXPECT_EQ(s.GetField(4), "x");
    EXPECT_EQ(s.GetField(5), "");
    EXPECT_EQ(s.GetField(-1), "");
}

TEST(TSplitArray, EdgesOfTheLine) {
    TSplitArray s(20, ',');
    s.SplitString("a,,b,");
    ASSERT_EQ(s.nvar, 3);  // a trailing separator opens no field
    EXPECT_EQ(s.GetField(1), "");
    s.SplitString("");
    EXPECT_EQ(s.nvar, 0);
    s.SplitString(",");
    EXPECT_EQ(s.nvar, 1);
    s.SplitString("a,\"open");  // a quote left open drops its field
    EXPECT_EQ(s.nvar, 1);
    std::string many;
    for (int i = 0; i < 25; ++i) many += std::to_string(i) + ",";
    s.SplitString(many);
    EXPECT_EQ(s.nvar, 20);
    EXPECT_EQ(s.GetField(19), "19");
}

TEST(TextRoutines, QuotesAndNumbers) {
    EXPECT_EQ(Strip_Quotes("\"ab\""), "ab");
    EXPECT_EQ(Strip_Quotes("\"\""), "");
    EXPECT_EQ(Strip_Quotes("\""), "\"");
    EXPECT_EQ(Strip_Quotes("\"ab"), "\"ab");
    EXPECT_EQ(Str_To_Int_Or_Zero(""), 0);
    EXPECT_EQ(Str_To_Int_Or_Zero("-12"), -12);
    EXPECT_THROW(Str_To_Int_Or_Zero("1a"), ConvertError);
    EXPECT_EQ(Str_To_Float_Sep("1.5", '_'), 1.5);
    EXPECT_EQ(Str_To_Float_Sep("1,5", '_'), 1.5);
    EXPECT_EQ(Str_To_Float_Sep("", '_'), 0.0);
    EXPECT_EQ(Str_To_Float_Sep("2,5", ','), 2.5);
    EXPECT_THROW(Str_To_Float_Sep("1,5", '.'), ConvertError);
    EXPECT_THROW(Str_To_Float_Sep("abc", '_'), ConvertError);
}

TEST(TextRoutines, CsvFields) {
    EXPECT_EQ(Get_CSV_Field("  a; b;c", 2), "b");
    EXPECT_EQ(Get_CSV_Field("  a; b;c", 1), "a");
    EXPECT_EQ(Get_CSV_Field("  a; b;c", 3), "c");
    EXPECT_EQ(Get_CSV_Field("a", 3), "0");
    EXPECT_EQ(Get_CSV_Field("a;;c", 2), "");
    EXPECT_EQ(Get_CSV_Field("a;b;", 3), "");
    EXPECT_EQ(Get_CSV_Field("", 1), "");
    EXPECT_EQ(Get_CSV_Field("a", 0), "0");
}

TEST(TextRoutines, OpenTextFileModes) {
    const auto path = std::filesystem::temp_directory_path() / "iec_open_text_file_test.txt";
    std::filesystem::remove(path);
    std::fstream f;
    std::string error = "x";
    EXPECT_FALSE(Open_Text_File(f, path.string(), "r", error));
    EXPECT_EQ(error, "ERROR:Не открывается файл:" + path.string() + " mode=r");
    EXPECT_TRUE(Open_Text_File(f, path.string(), "a", error));  // created when missing
    EXPECT_EQ(error, "");
    f << "one\r\n";
    f.close();
    EXPECT_TRUE(Open_Text_File(f, path.string(), "a", error));
    f << "two\r\n";
    f.close();
    EXPECT_TRUE(Open_Text_File(f, path.string(), "r", error));
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "one\r\ntwo\r\n");
    f.close();
    EXPECT_FALSE(Open_Text_File(f, path.string(), "x", error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(Open_Text_File(f, "/no/such/dir/f.txt", "w", error));
    EXPECT_EQ(error, "ERROR:Не открывается файл:/no/such/dir/f.txt mode=w");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace iec
