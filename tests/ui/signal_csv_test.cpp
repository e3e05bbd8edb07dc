#include "ui/signal_csv.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/cp1251.h"
#include "platform/file_util.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

class SignalCsv : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ui_csv_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        status_.Reset(3);
        status_.SetCell(1, 1, "Выключатель Q1");
        status_.SetCell(1, 2, "5");
        status_.SetCell(1, 3, "1");
        status_.SetCell(1, 4, "ввод 1");
        status_.SetCell(1, 5, "5");
        status_.SetCell(1, 6, "2001");
        status_.ChooseCommandType(1, 2);
        status_.SetCell(2, 1, "Авария");
        status_.SetCell(2, 2, "5");
        status_.SetCell(2, 3, "2");
        measured_.Reset(2);
        measured_.SetCell(1, 1, "Ток");
        measured_.SetCell(1, 2, "5");
        measured_.SetCell(1, 3, "100");
        measured_.SetCell(1, 5, "-4000");
        measured_.SetCell(1, 6, "4000");
        measured_.SetCell(1, 7, "0");
        measured_.SetCell(1, 8, "1.5");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Loads bytes into a table that already holds rows: the rows are replaced, or, when refused, kept.
    CsvOutcome Load(SignalTable& table, const std::string& utf8_text, bool cp1251 = true) {
        const fs::path file = dir_ / "in.csv";
        EXPECT_EQ(WriteFileAtomic(file, cp1251 ? Utf8ToCp1251(utf8_text) : utf8_text), "");
        return LoadSignalCsv(table, file);
    }

    fs::path dir_;
    SignalTable status_{SignalKind::Status};
    SignalTable measured_{SignalKind::Measured};
};

TEST_F(SignalCsv, SavedFileIsWindows1251WithEightCellsPerLineHeaderFirst) {
    const CsvOutcome out = SaveSignalCsv(status_, dir_ / "ts");
    ASSERT_TRUE(out.done) << out.message;
    const fs::path file = dir_ / "ts.csv";
    EXPECT_EQ(out.message, "Сохранено в " + file.string());
    const std::string expected =
        "Имя;Адрес ASDU;Адрес IOA;Комментарий;Адр. ASDU для ТУ;Адр. IOA для ТУ;Тип ТУ;;\r\n"
        "Выключатель Q1;5;1;ввод 1;5;2001;<46> C_DC_NA  Двухпозиц.  команда с предвыбором;;\r\n"
        "Авария;5;2;;;;;;\r\n";
    EXPECT_EQ(ReadFileBytes(file).value_or(""), Utf8ToCp1251(expected));
    // "Имя" in Windows-1251.
    EXPECT_EQ(ReadFileBytes(file).value_or("").substr(0, 3), "\xC8\xEC\xFF");

    ASSERT_TRUE(SaveSignalCsv(measured_, dir_ / "ti.csv").done);
    EXPECT_EQ(Cp1251ToUtf8(ReadFileBytes(dir_ / "ti.csv").value_or("")),
              "Имя;Адрес ASDU;Адрес IOA;Комментарий;Min физич. диапазона;Mах физич. диапазона;"
              "Min инжен. диапазона;Mах инжен. диапазона;\r\n"
              "Ток;5;100;;-4000;4000;0;1.5;\r\n");
}

TEST_F(SignalCsv, FileNameGetsCsvOnlyWhenItHasNone) {
    EXPECT_EQ(CsvFileName(dir_ / "table"), dir_ / "table.csv");
    EXPECT_EQ(CsvFileName(dir_ / "table.txt"), dir_ / "table.txt.csv");
    EXPECT_EQ(CsvFileName(dir_ / "table.csv"), dir_ / "table.csv");
    EXPECT_EQ(CsvFileName(dir_ / "table.csv.bak"), dir_ / "table.csv.bak");
}

TEST_F(SignalCsv, SavedTablesLoadBackWithTheirComments) {
    ASSERT_TRUE(SaveSignalCsv(status_, dir_ / "ts").done);
    ASSERT_TRUE(SaveSignalCsv(measured_, dir_ / "ti").done);
    SignalTable ts(SignalKind::Status);
    SignalTable ti(SignalKind::Measured);
    ts.Reset(20);
    ts.SetCell(5, 1, "stale");
    const CsvOutcome a = LoadSignalCsv(ts, dir_ / "ts.csv");
    ASSERT_TRUE(a.done) << a.message;
    const CsvOutcome b = LoadSignalCsv(ti, dir_ / "ti.csv");
    ASSERT_TRUE(b.done) << b.message;
    EXPECT_EQ(ts.Grid(), status_.Grid());
    EXPECT_EQ(ti.Grid(), measured_.Grid());
    EXPECT_EQ(ts.Cell(1, 4), "ввод 1");
}

TEST_F(SignalCsv, LoadingFollowsTheFieldRules) {
    // Blanks at the line's start and after each ";" go; blank lines give empty rows; the header line is skipped
    // whatever it says; a file saved as UTF-8 with a byte-order mark is read too.
    SignalTable t(SignalKind::Status);
    const CsvOutcome out = Load(t,
                                "\xEF\xBB\xBFName;ASDU;IOA;Note;a;b;c;\r\n"
                                "  Q1;  5; 1 ;comment ;0;0;;\r\n"
                                "\r\n"
                                ";;;;;;;\r\n"
                                "Q2;5;2;;5;2002;<45> C_SC_NA Однопозиц. команда прямое",
                                false);
    ASSERT_TRUE(out.done) << out.message;
    ASSERT_EQ(t.Rows(), 5);
    EXPECT_EQ(t.Cell(0, 1), "Имя");
    EXPECT_EQ(t.Cell(1, 1), "Q1");
    EXPECT_EQ(t.Cell(1, 2), "5");
    EXPECT_EQ(t.Cell(1, 3), "1");
    EXPECT_EQ(t.Cell(1, 4), "comment ");
    EXPECT_EQ(t.Cell(2, 1), "");
    EXPECT_EQ(t.Cell(3, 1), "");
    EXPECT_EQ(t.Cell(4, 7), "<45> C_SC_NA Однопозиц. команда прямое");
}

TEST_F(SignalCsv, RefusedFilesNameLineAndColumnAndLeaveTheTable) {
    struct Case {
        SignalKind kind;
        std::string bytes;  // as on disk
        std::string problem;
    };
    const std::string ts_head = Utf8ToCp1251("Имя;Адрес ASDU;Адрес IOA;Комментарий;Адр. ASDU для ТУ;Адр. IOA для ТУ;Тип ТУ;;\r\n");
    const std::string ti_head = "h\r\n";
    const auto w = [](const std::string& utf8) { return Utf8ToCp1251(utf8); };
    const std::vector<Case> cases = {
        {SignalKind::Status, ts_head + "Q1;5;1;;0;0;;\r\nQ2;5;2;\r\n",
         "строка 3, столбец 5 («Адр. ASDU для ТУ»): нет поля (в строке должно быть 7 полей через «;»)"},
        {SignalKind::Status, ts_head + "Q1;5;1;;0;0;;x;\r\n", "строка 2, столбец 8: лишнее поле «x»"},
        {SignalKind::Status, ts_head + "Q1;5;1a;;0;0;;\r\n", "строка 2, столбец 3 («Адрес IOA»): «1a» — не целое число"},
        {SignalKind::Status, ts_head + "Q1;5;1;;0;2.5;;\r\n",
         "строка 2, столбец 6 («Адр. IOA для ТУ»): «2.5» — не целое число"},
        {SignalKind::Status, ts_head + w("Q1;5;1;;5;5;<45> C_SC_NA прямое;\r\n"),
         "строка 2, столбец 7 («Тип ТУ»): неизвестный тип ТУ «<45> C_SC_NA прямое»"},
        {SignalKind::Status, ts_head + "Q\"1;5;1;;0;0;;\r\n", "строка 2, столбец 1 («Имя»): символ «\"» в имени недопустим"},
        {SignalKind::Measured, ti_head + "I;1;2;;0;1,5;0;100;\r\n",
         "строка 2, столбец 6 («Mах физич. диапазона»): «1,5» — не число (десятичный разделитель — точка)"},
        {SignalKind::Measured, ti_head + "I;1;2;;0;100;0\r\n", "строка 2, столбец 8 («Mах инжен. диапазона»): нет поля (в строке должно быть 8 полей через «;»)"},
        // The code page's one undefined octet, 0x98, is a control character when decoded.
        {SignalKind::Measured, ti_head + "I;1;2;c\x98;0;100;0;1;\r\n",
         "строка 2, столбец 4 («Комментарий»): управляющий символ (перевод строки, табуляция) недопустим"},
        {SignalKind::Measured, "", "файл пуст, нет даже строки заголовка"},
    };
    for (const Case& c : cases) {
        SignalTable t(c.kind);
        t.Reset(3);
        t.SetCell(2, 1, "kept");
        const GridModel before = t.Grid();
        const fs::path file = dir_ / "bad.csv";
        ASSERT_EQ(WriteFileAtomic(file, c.bytes), "");
        const CsvOutcome out = LoadSignalCsv(t, file);
        EXPECT_FALSE(out.done) << c.problem;
        EXPECT_EQ(out.message, "Таблица не загружена: " + file.string() + ": " + c.problem);
        EXPECT_EQ(t.Grid(), before) << c.problem;
    }
}

TEST_F(SignalCsv, AFileOfMoreThan10000RowsIsRefused) {
    std::string text = "header\r\n";
    for (int i = 1; i <= kMaxCsvRows; ++i) text += "U" + std::to_string(i) + ";1;" + std::to_string(i) + ";;0;0;0;0;\r\n";
    SignalTable t(SignalKind::Measured);
    const CsvOutcome full = Load(t, text);
    ASSERT_TRUE(full.done) << full.message;
    EXPECT_EQ(t.Rows(), kMaxCsvRows + 1);
    text += "one more;1;1;;0;0;0;0;\r\n";
    const CsvOutcome over = Load(t, text);
    EXPECT_FALSE(over.done);
    EXPECT_NE(over.message.find("строка 10002: в таблице может быть не больше 10000 строк"), std::string::npos)
        << over.message;
    EXPECT_EQ(t.Rows(), kMaxCsvRows + 1);
}

TEST_F(SignalCsv, UnreadableFileAndUnwritableCellsAreReported) {
    SignalTable t(SignalKind::Status);
    t.Reset(2);
    const CsvOutcome missing = LoadSignalCsv(t, dir_ / "none.csv");
    EXPECT_FALSE(missing.done);
    EXPECT_EQ(missing.message, "Таблица не загружена: " + (dir_ / "none.csv").string() + ": файл не читается");
    EXPECT_EQ(t.Rows(), 2);

    t.SetCell(1, 1, "A;B");
    const CsvOutcome semicolon = SaveSignalCsv(t, dir_ / "out");
    EXPECT_FALSE(semicolon.done);
    EXPECT_EQ(semicolon.message, "Таблица не сохранена: " + (dir_ / "out.csv").string() +
                                     ": строка 2, столбец 1 («Имя»): символ «;» разделяет поля файла");
    t.SetCell(1, 1, "Ω");
    const CsvOutcome greek = SaveSignalCsv(t, dir_ / "out");
    EXPECT_EQ(greek.message, "Таблица не сохранена: " + (dir_ / "out.csv").string() +
                                 ": строка 2, столбец 1 («Имя»): символ «Ω» не представим в кодировке Windows-1251");
    EXPECT_FALSE(fs::exists(dir_ / "out.csv"));
    const CsvOutcome folder = SaveSignalCsv(status_, dir_ / "no" / "such" / "folder");
    EXPECT_FALSE(folder.done);
    EXPECT_NE(folder.message.find("Таблица не сохранена: "), std::string::npos);
}

}  // namespace
}  // namespace iec
