#include "model/station_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "platform/cp1251.h"
#include "platform/file_util.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

class StationFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("station_file_" + std::string(::testing::UnitTest::GetInstance()
                                                                              ->current_test_info()
                                                                              ->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes UTF-8 text to a file of the folder as Windows-1251 with CR LF ends.
    void PutLines(const char* name, const std::string& utf8_lines) {
        std::string text;
        for (const auto& l : SplitLines(utf8_lines)) text += l + "\r\n";
        ASSERT_EQ(WriteFileAtomic(dir_ / name, Utf8ToCp1251(text)), "");
    }
    ConfigReport Read(StationFileOptions o = {}) { return Read_Config(table_, ua_, dir_ / kStationFileName, dir_, o); }

    fs::path dir_;
    StationTable table_;
    OpcUaSettings ua_;
};

std::string Errors(const ConfigReport& r) {
    std::string s;
    for (const auto& p : r.problems) s += p.ToString() + "\n";
    return s;
}

TEST_F(StationFileTest, DemoFilesReadAndWriteBackToTheByte) {
    const fs::path demo = fs::path(IEC_SOURCE_DIR) / "demo";
    const ConfigReport r = Read_Config(table_, ua_, demo / kStationFileName, demo);
    ASSERT_FALSE(r.HasErrors()) << Errors(r);
    ASSERT_EQ(table_.Kol_KP, 3);
    EXPECT_EQ(table_.Station(1)->NameKP, "ПС 110 кВ Северная");
    EXPECT_EQ(table_.Station(1)->TS_arr[5].NameTS, "Дверь ЗРУ, ячейка 5");
    EXPECT_EQ(table_.Station(3)->IecDeviceVV.sz_InfObjAddress, 3);
    EXPECT_EQ(table_.Station(3)->RTU_TCP, 1);

    ASSERT_EQ(Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_), "");
    EXPECT_EQ(ReadFileBytes(dir_ / kStationFileName), ReadFileBytes(demo / kStationFileName));
    EXPECT_EQ(ReadFileBytes(dir_ / kLinkFileName), ReadFileBytes(demo / kLinkFileName));
}

TEST_F(StationFileTest, WrittenBytesFollowTheFormat) {
    table_.Kol_KP = 1;
    T_KP& kp = table_.KP_arr[1];
    kp.NameKP = "КП Тест";
    kp.IP = "10.0.0.1";
    kp.ASDU_Adr = 7;
    kp.Port = 5;
    kp.PereschetTI = true;
    kp.Popravka_Time = -2;
    T_TS& ts = kp.AddTS();
    ts.NameTS = "Выкл";
    ts.AdrASDU = 7;
    ts.AdrIOA = 1;
    ts.AdrASDU_TU = 7;
    ts.AdrIOA_TU = 2001;
    ts.Type_TU = 2;
    T_TI& ti = kp.AddTI();
    ti.NameTI = "U";
    ti.AdrASDU = 7;
    ti.AdrIOA = 700;
    ti.Min_Eng_Diap = -0.5;
    ti.Max_Eng_Diap = 1e20;
    ti.Min_TM_Diap = 0.000001;
    ti.Max_TM_Diap = 32767;
    kp.RTU_TCP = 1;
    kp.PortTCP = 32100;
    kp.IecDeviceVV.Name = "КП Тест";
    kp.IecDeviceVV.ComPort = "host";
    kp.IecDeviceVV.Virtual_com = true;
    kp.IecDeviceVV.Interval_opros_100 = 5;
    ua_.OPC_UA_use = true;
    ua_.OPC_UA_Port = 4840;
    ua_.OPC_UA_username = "user";
    ua_.OPC_UA_password = "secret";
    ua_.OPC_UA_Timeout_of_control = 30;
    ASSERT_EQ(Write_Config(table_, ua_, 25, dir_ / kStationFileName, dir_), "");
    EXPECT_EQ(*ReadFileBytes(dir_ / kStationFileName),
              Utf8ToCp1251(";kol,1\r\n"
                           "KP,7,1,КП Тест,10.0.0.1\r\n"
                           ";PORT,7,1,КП Тест,10.0.0.1,5\r\n"
                           "PER,1\r\nTIM,0\r\nPOPR,-2\r\n"
                           "OPC_UA_use,1\r\nOPC_UA_writable,0\r\nOPC_UA_by_pwd,0\r\nOPC_UA_Control_podkl,0\r\n"
                           "OPC_UA_Port,4840\r\nOPC_UA_password,secret\r\nOPC_UA_username,user\r\n"
                           "OPC_UA_Timeout_of_control,30\r\nTimeoutm230,25\r\n"
                           "TS,1001,7,,\"Выкл\",8272,7,1,7,2001,2,0\r\n"
                           "TIT,1001,7,,\"U\",8280,7,700,-0.5,1E20,-0.5,1E20,-0.5,1E20,1E-6,32767\r\n"));
    EXPECT_EQ(*ReadFileBytes(dir_ / kLinkFileName),
              Utf8ToCp1251("1\r\nhost\r\n9600\r\nN\r\nКП Тест\r\n1000\r\n3\r\n1000\r\n1\r\n3000\r\n3000\r\n5000\r\n"
                           "1\r\n2\r\n1\r\n0\r\n1\r\n10\r\n1\r\n32100\r\n1\r\n5\r\n0\r\n0\r\n"));

    // Read back: the same table, except the Port kept only in a comment line.
    StationTable back;
    OpcUaSettings ua_back;
    ASSERT_FALSE(Read_Config(back, ua_back, dir_ / kStationFileName, dir_).HasErrors());
    const T_KP& b = *back.Station(1);
    EXPECT_EQ(b.Port, 0);
    EXPECT_EQ(b.Popravka_Time, -2);
    EXPECT_EQ(b.TS_arr[1].AdrIOA_TU, 2001);
    EXPECT_EQ(b.TI_arr[1].Max_Eng_Diap, 1e20);
    EXPECT_EQ(b.TI_arr[1].Min_TM_Diap, 0.000001);
    EXPECT_EQ(b.IecDeviceVV.Name, "КП Тест");
    EXPECT_TRUE(b.IecDeviceVV.Virtual_com);
    EXPECT_EQ(b.PortTCP, 32100);
    EXPECT_EQ(ua_back.OPC_UA_password, "secret");
}

TEST_F(StationFileTest, NoStationsWritesTheCountAlone) {
    ua_.OPC_UA_use = true;
    ASSERT_EQ(Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_), "");
    EXPECT_EQ(*ReadFileBytes(dir_ / kStationFileName), ";kol,0\r\n");
    EXPECT_EQ(*ReadFileBytes(dir_ / kLinkFileName), "0\r\n");
}

TEST_F(StationFileTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    EXPECT_NE(Write_Config(table_, ua_, 10, dir_ / "missing" / kStationFileName, dir_ / "missing"), "");
    PutLines(kStationFileName, "KP,1,1,A,");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable_anyway = ::access(dir_.c_str(), W_OK) == 0;  // root ignores permissions
    table_.Kol_KP = 1;
    const std::string err = Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_);
    fs::permissions(dir_, fs::perms::owner_all);
    if (!writable_anyway) {
        EXPECT_NE(err, "");
        EXPECT_EQ(*ReadFileBytes(dir_ / kStationFileName), "KP,1,1,A,\r\n");
    }
}

TEST_F(StationFileTest, FieldSplittingAndQuotes) {
    PutLines(kStationFileName,
             "KP,1,1,Name, with comma,ip\n"
             "TS,1001,1,,\"A, B\",8272,1,5,,,,0\n"
             "TI,1001,1,,\"T\",8280,1,9,0,100\n"
             ";dll_plugun101\n"
             "TS,1001,1,,\"after the end\",8272,1,6\n");
    ASSERT_FALSE(Read().HasErrors());
    const T_KP& kp = *table_.Station(1);
    EXPECT_EQ(kp.NameKP, "Name");       // a comma in a station name cuts it
    EXPECT_EQ(kp.IP, "with comma");
    ASSERT_EQ(kp.Kol_TS, 1);
    EXPECT_EQ(kp.TS_arr[1].NameTS, "A, B");
    EXPECT_EQ(kp.TS_arr[1].AdrIOA, 5);
    EXPECT_EQ(kp.TS_arr[1].AdrIOA_TU, 0);  // empty fields read as 0
    ASSERT_EQ(kp.Kol_TI, 1);  // "TI" is a measured value too
    EXPECT_EQ(kp.TI_arr[1].Max_Eng_Diap, 100);
    EXPECT_EQ(kp.TI_arr[1].Min_TM_Diap, 0);
    EXPECT_EQ(kp.TI_arr[1].Max_TM_Diap, 0);
}

TEST_F(StationFileTest, LenientSettings) {
    PutLines(kStationFileName,
             "KP,1,1,A,\nPER,2\nTIM,01\nPOPR,x\nOPC_UA_use,2\nOPC_UA_writable,1\nOPC_UA_Port,abc\n"
             "OPC_UA_Timeout_of_control,\nOPC_UA_username,u,v\nSST,whatever\nUNKNOWN,1\n");
    ASSERT_FALSE(Read().HasErrors());
    EXPECT_FALSE(table_.Station(1)->PereschetTI);
    EXPECT_TRUE(table_.Station(1)->Time_To_OPC);
    EXPECT_EQ(table_.Station(1)->Popravka_Time, 0);
    EXPECT_FALSE(ua_.OPC_UA_use);
    EXPECT_TRUE(ua_.OPC_UA_writable);
    EXPECT_EQ(ua_.OPC_UA_Port, 16670);
    EXPECT_EQ(ua_.OPC_UA_Timeout_of_control, 16670);
    EXPECT_EQ(ua_.OPC_UA_username, "u");
}

TEST_F(StationFileTest, ConversionErrorNamesLineAndFieldAndKeepsWhatWasRead) {
    PutLines(kStationFileName,
             "KP,1,1,A,\n"
             "TS,1001,1,,\"ok\",8272,1,1\n"
             "KP,2,1,B,\n"
             "TS,1002,2,,\"bad\",8272,2,1a\n"
             "TS,1002,2,,\"later\",8272,2,3\n");
    PutLines(kLinkFileName, "2");
    const ConfigReport r = Read();
    ASSERT_TRUE(r.HasErrors());
    ASSERT_EQ(r.problems.size(), 1u) << Errors(r);
    EXPECT_EQ(r.problems[0].line, 4);
    EXPECT_EQ(r.problems[0].field, "field 7 (AdrIOA)");
    EXPECT_EQ(r.problems[0].ToString(),
              "error: iec101.cfg:4: field 7 (AdrIOA): expected an integer, found \"1a\"");
    EXPECT_EQ(table_.Kol_KP, 2);
    EXPECT_EQ(table_.Station(1)->Kol_TS, 1);
    EXPECT_EQ(table_.Station(2)->Kol_TS, 0);

    // Going on past bad lines finds every problem.
    StationTable t2;
    const ConfigReport all = Read_Config(t2, ua_, dir_ / kStationFileName, dir_, {.stop_at_error = false});
    EXPECT_EQ(t2.Station(2)->Kol_TS, 1);
    EXPECT_EQ(t2.Station(2)->TS_arr[1].NameTS, "later");
}

TEST_F(StationFileTest, BadKpAndTitNumbersAreErrors) {
    PutLines(kStationFileName, "KP,x,1,A,\n");
    EXPECT_EQ(Read().problems.at(0).field, "field 1 (ASDU_Adr)");
    PutLines(kStationFileName, "KP,1,,A,\n");
    EXPECT_EQ(Read().problems.at(0).field, "field 2 (integer)");
    PutLines(kStationFileName, "KP,1,1,A,\nTIT,1001,1,,\"T\",8280,1,9,0,1O0\n");
    const ConfigReport r = Read();
    ASSERT_TRUE(r.HasErrors());
    EXPECT_EQ(r.problems.at(0).field, "field 9 (Max_Eng_Diap)");
    PutLines(kStationFileName, "KP,1,1,A,\nTS,,1,,\"T\",8272,1,9\n");
    EXPECT_EQ(Read().problems.at(0).field, "field 1 (station index + 1000)");
    PutLines(kStationFileName, "KP,1,1,A,\nTIT,1001,1,,\"T\",8280,1,9,\"1,5\"\n");
    // Quotes stay part of a field, so a quoted real is not a number.
    EXPECT_EQ(Read().problems.at(0).field, "field 8 (Min_Eng_Diap)");
}

TEST_F(StationFileTest, LinesBeforeTheFirstStationAreReportedAndIgnored) {
    PutLines(kStationFileName, "PER,1\nTS,1001,1,,\"orphan\",8272,1,1\nKP,1,1,A,\n");
    const ConfigReport r = Read();
    EXPECT_FALSE(r.HasErrors());
    ASSERT_EQ(r.problems.size(), 3u);  // the two lines, and the missing link file
    EXPECT_EQ(r.problems[0].line, 1);
    EXPECT_EQ(r.problems[1].line, 2);
    EXPECT_EQ(table_.Kol_KP, 1);
    EXPECT_EQ(table_.Station(1)->Kol_TS, 0);
}

TEST_F(StationFileTest, MoreThan980StationsStopAtTheTable) {
    std::string text;
    for (int i = 1; i <= 985; ++i) text += "KP," + std::to_string(i) + ",1,S" + std::to_string(i) + ",\n";
    PutLines(kStationFileName, text);
    const ConfigReport r = Read();
    ASSERT_TRUE(r.HasErrors());
    EXPECT_EQ(r.problems[0].line, 981);
    EXPECT_EQ(table_.Kol_KP, kMaxStations);
    EXPECT_EQ(table_.Station(980)->NameKP, "S980");
    PutLines(kLinkFileName, "5000");
    const ConfigReport r2 = Read();
    EXPECT_EQ(table_.Kol_KP, kMaxStations);
    EXPECT_TRUE(r2.HasErrors());
}

TEST_F(StationFileTest, MissingMainFileChangesNothing) {
    table_.Kol_KP = 2;
    const ConfigReport r = Read();
    EXPECT_FALSE(r.HasErrors());
    EXPECT_EQ(table_.Kol_KP, 2);
}

TEST_F(StationFileTest, LinkFileRules) {
    PutLines(kStationFileName, "KP,1,1,A,\nKP,2,1,B,\nKP,3,1,C,\n");
    // Two stations declared: only two remain in use. Zero cause size and poll count take their defaults.
    PutLines(kLinkFileName,
             "2\n"
             "COM1\n9600\nE\nA\n100\n2\n500\n11\n1500\n1600\n2000\n2\n3\n2\n"
             "COM1\n4800\nO\nB\n100\n2\n500\n12\n1500\n1600\n2000\n1\n2\n1\n"
             "1\n3\n"
             "0\n0\n2\n7\n"
             "0\n32100\n1\n1\n32200\n0\n"
             "1\n2\n3\n4\n5\n6\n");
    const ConfigReport r = Read();
    EXPECT_FALSE(r.HasErrors()) << Errors(r);
    ASSERT_EQ(table_.Kol_KP, 2);
    const TIecDeviceVV& a = table_.Station(1)->IecDeviceVV;
    EXPECT_EQ(a.LinkAddress, 11);
    EXPECT_EQ(a.ConfirmationTimeout, 1600);  // written twice, the second wins
    EXPECT_EQ(a.sz_LinkAddress, 2);
    EXPECT_EQ(a.sz_InfObjAddress, 3);
    EXPECT_EQ(a.sz_ASDUAddress, 2);
    EXPECT_EQ(a.bit_QU, 1);
    EXPECT_EQ(a.sz_PrichinaPeredachi, 1);
    EXPECT_EQ(a.opros_na_ustr, 10);
    EXPECT_TRUE(a.Virtual_com);
    EXPECT_EQ(a.Interval_opros_address_102, 3);
    const T_KP& b = *table_.Station(2);
    EXPECT_EQ(b.IecDeviceVV.sz_PrichinaPeredachi, 2);
    EXPECT_EQ(b.IecDeviceVV.opros_na_ustr, 7);
    EXPECT_EQ(b.RTU_TCP, 1);
    EXPECT_EQ(b.PortTCP, 32200);
    EXPECT_FALSE(b.IecDeviceVV.Virtual_com);
    EXPECT_EQ(b.IecDeviceVV.Interval_opros_100, 4);
}

TEST_F(StationFileTest, BrokenLinkFileIsReportedWithItsLine) {
    PutLines(kStationFileName, "KP,1,1,A,\n");
    PutLines(kLinkFileName, "1\nCOM1\nfast\n");
    const ConfigReport r = Read();
    ASSERT_TRUE(r.HasErrors());
    EXPECT_EQ(r.problems.back().file, "iec101kp.cfg");
    EXPECT_EQ(r.problems.back().line, 3);
    EXPECT_EQ(r.problems.back().field, "BaudRate");
    PutLines(kLinkFileName, "1\nCOM1\n9600\n");
    const ConfigReport early = Read();
    EXPECT_FALSE(early.HasErrors());
    EXPECT_EQ(early.problems.size(), 1u);  // ends early: a warning
    EXPECT_EQ(table_.Station(1)->IecDeviceVV.BaudRate, 9600);
}

TEST_F(StationFileTest, Utf8FileWithByteOrderMarkIsAccepted) {
    ASSERT_EQ(WriteFileAtomic(dir_ / kStationFileName, "\xEF\xBB\xBFKP,1,1,Подстанция,\r\n"), "");
    ASSERT_FALSE(Read().HasErrors());
    EXPECT_EQ(table_.Station(1)->NameKP, "Подстанция");
    ASSERT_EQ(Write_Config(table_, ua_, 10, dir_ / kStationFileName, dir_), "");
    EXPECT_EQ(ReadFileBytes(dir_ / kStationFileName)->substr(8, 18), "KP,1,1,\xCF\xEE\xE4\xF1\xF2\xE0\xED\xF6\xE8\xFF,");
}

}  // namespace
}  // namespace iec
