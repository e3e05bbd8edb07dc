#include "ui/signal_table.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

// Types the text one character at a time, as the in-place editor reports each change.
std::string Type(SignalTable& t, int row, int column, const std::string& keys) {
    std::string text = t.Cell(row, column);
    for (char k : keys) {
        text = t.Cell(row, column) + k;
        t.EditCell(row, column, text);
    }
    return t.Cell(row, column);
}

TEST(SignalTable, HeadersAndColumnsOfBothTables) {
    SignalTable ts(SignalKind::Status);
    SignalTable ti(SignalKind::Measured);
    ts.Reset(3);
    ti.Reset(3);
    EXPECT_EQ(ts.Grid().Columns(), 8);
    EXPECT_EQ(ti.Grid().Columns(), 9);
    EXPECT_EQ(ts.Cell(0, 0), "");
    EXPECT_EQ(ts.Cell(0, 5), "Адр. ASDU для ТУ");
    EXPECT_EQ(ts.Cell(0, 7), "Тип ТУ");
    EXPECT_EQ(ti.Cell(0, 6), "M\xD0\xB0х физич. диапазона");  // Latin M, Cyrillic "ах"
    EXPECT_EQ(ti.Cell(0, 8), "Mах инжен. диапазона");
    EXPECT_EQ(ti.Cell(0, 8).substr(0, 1), "M");
}

TEST(SignalTable, TypingChecksNumberColumnsOnly) {
    SignalTable ts(SignalKind::Status);
    ts.Reset(3);
    EXPECT_EQ(Type(ts, 1, 3, "12a"), "12");  // "Адрес IOA"
    EXPECT_EQ(Type(ts, 1, 5, "7x8"), "78");
    EXPECT_EQ(Type(ts, 1, 2, "1.5"), "15");  // an address is a whole number
    EXPECT_EQ(Type(ts, 1, 1, "Q1 вкл."), "Q1 вкл.");  // names are free text
    EXPECT_EQ(Type(ts, 1, 4, "abc"), "abc");      // so are comments
    // A text beginning with "-" is not examined.
    EXPECT_EQ(Type(ts, 2, 6, "-x"), "-x");

    SignalTable ti(SignalKind::Measured);
    ti.Reset(3);
    EXPECT_EQ(Type(ti, 1, 5, "1,5"), "15");
    EXPECT_EQ(Type(ti, 1, 6, "2.5"), "2.5");
    EXPECT_EQ(Type(ti, 1, 3, "4.5"), "45");
    // Pasted at once, "1,5" keeps only what is a number.
    ti.EditCell(2, 7, "1,5");
    EXPECT_EQ(ti.Cell(2, 7), "1");
    ti.EditCell(2, 8, "12ф");
    EXPECT_EQ(ti.Cell(2, 8), "12");
    EXPECT_EQ(CheckedCellText(ti, 8, "abc"), "");
    // The header row is not edited.
    ti.EditCell(0, 5, "x");
    EXPECT_EQ(ti.Cell(0, 5), "Min физич. диапазона");
}

TEST(SignalTable, RowTools) {
    SignalTable t(SignalKind::Status);
    t.Reset(4);
    for (int r = 1; r <= 3; ++r) t.SetCell(r, 1, "R" + std::to_string(r));
    t.InsertRow(2);
    ASSERT_EQ(t.Rows(), 5);
    EXPECT_EQ(t.Cell(1, 1), "R1");
    EXPECT_EQ(t.Cell(2, 1), "");
    EXPECT_EQ(t.Cell(3, 1), "R2");
    EXPECT_EQ(t.Cell(4, 1), "R3");
    t.DeleteRow(2);
    EXPECT_EQ(t.Rows(), 4);
    EXPECT_EQ(t.Cell(2, 1), "R2");
    t.AppendRow();
    EXPECT_EQ(t.Rows(), 5);
    EXPECT_EQ(t.Cell(4, 1), "");
    t.MoveRow(3, 1);
    EXPECT_EQ(t.Cell(1, 1), "R3");
    EXPECT_EQ(t.Cell(2, 1), "R1");
    EXPECT_EQ(t.Cell(3, 1), "R2");
    // The header row neither moves nor goes.
    t.MoveRow(1, 0);
    t.DeleteRow(0);
    EXPECT_EQ(t.Cell(0, 1), "Имя");
    EXPECT_EQ(t.Cell(1, 1), "R3");
    // A cursor outside the data rows: insert appends, delete does nothing.
    t.InsertRow(99);
    EXPECT_EQ(t.Rows(), 6);
    t.DeleteRow(99);
    EXPECT_EQ(t.Rows(), 6);
}

TEST(SignalTable, DeletingTheOnlyDataRowLeavesTheHeader) {
    SignalTable t(SignalKind::Measured);
    t.Reset(2);
    t.SetCell(1, 1, "U");
    t.DeleteRow(1);
    EXPECT_EQ(t.Rows(), 1);
    EXPECT_EQ(t.Cell(0, 1), "Имя");
    t.DeleteRow(1);
    EXPECT_EQ(t.Rows(), 1);
    T_KP kp;
    t.StoreInto(kp);
    EXPECT_EQ(kp.Kol_TI, 0);
}

TEST(SignalTable, CommandTypeListOnColumn7OfStatusRows) {
    SignalTable t(SignalKind::Status);
    t.Reset(3);
    EXPECT_TRUE(t.OffersCommandType(1, 7));
    EXPECT_FALSE(t.OffersCommandType(0, 7));
    EXPECT_FALSE(t.OffersCommandType(3, 7));
    EXPECT_FALSE(t.OffersCommandType(1, 6));
    EXPECT_FALSE(SignalTable(SignalKind::Measured).OffersCommandType(1, 7));
    t.ChooseCommandType(2, 2);
    EXPECT_EQ(t.Cell(2, 7), "<46> C_DC_NA  Двухпозиц.  команда с предвыбором");
    t.ChooseCommandType(2, 4);
    EXPECT_EQ(t.Cell(2, 7), "<46> C_DC_NA  Двухпозиц.  команда с предвыбором");
    EXPECT_EQ(CommandTypeOf("<46> C_DC_NA  Двухпозиц.  команда прямое"), 3);
    EXPECT_EQ(CommandTypeOf("<46> C_DC_NA Двухпозиц. команда прямое"), 0);  // the double blanks count
    EXPECT_EQ(CommandTypeIndex(""), -1);
}

TEST(SignalTable, LoadShowsTheCommandTypeOnlyWithBothCommandAddresses) {
    T_KP kp;
    for (int i = 0; i < 4; ++i) {
        T_TS& ts = kp.AddTS();
        ts.NameTS = "TS" + std::to_string(i);
        ts.AdrASDU = 1;
        ts.AdrIOA = i;
        ts.Type_TU = 3;
    }
    kp.TS_arr[1].AdrASDU_TU = 1;
    kp.TS_arr[1].AdrIOA_TU = 2001;
    kp.TS_arr[2].AdrASDU_TU = 1;  // no object address
    kp.TS_arr[3].AdrIOA_TU = 2003;  // no common address
    SignalTable t(SignalKind::Status);
    t.Load(kp);
    ASSERT_EQ(t.Rows(), 5);
    EXPECT_EQ(t.Cell(1, 7), "<46> C_DC_NA  Двухпозиц.  команда прямое");
    EXPECT_EQ(t.Cell(2, 7), "");
    EXPECT_EQ(t.Cell(3, 7), "");
    EXPECT_EQ(t.Cell(4, 7), "");
    EXPECT_EQ(t.Cell(1, 5), "1");
    EXPECT_EQ(t.Cell(1, 6), "2001");
    EXPECT_EQ(t.Cell(2, 6), "0");
    // Stored again, a row without a shown type is a type 0.
    T_KP back;
    t.StoreInto(back);
    ASSERT_EQ(back.Kol_TS, 4);
    EXPECT_EQ(back.TS_arr[1].Type_TU, 3);
    EXPECT_EQ(back.TS_arr[2].Type_TU, 0);
}

TEST(SignalTable, StoreSkipsRowsWithoutNameAndReadsUnreadableNumbersAsZero) {
    SignalTable t(SignalKind::Measured);
    t.Reset(5);
    t.SetCell(1, 1, "Ia");
    t.SetCell(1, 2, "5");
    t.SetCell(1, 3, "0x10");
    t.SetCell(1, 5, "-");
    t.SetCell(1, 6, "4000");
    t.SetCell(1, 7, "1e3");
    t.SetCell(1, 8, "-12.25");
    t.SetCell(2, 1, "   ");  // blanks name nothing
    t.SetCell(2, 2, "9");
    t.SetCell(3, 1, "");
    t.SetCell(3, 2, "9");
    t.SetCell(4, 1, "Ib");
    t.SetCell(4, 2, "-x");
    t.SetCell(4, 5, "1,5");
    T_KP kp;
    kp.AddTI().NameTI = "old";
    t.StoreInto(kp);
    ASSERT_EQ(kp.Kol_TI, 2);
    const T_TI& a = kp.TI_arr[1];
    EXPECT_EQ(a.NameTI, "Ia");
    EXPECT_EQ(a.AdrASDU, 5);
    EXPECT_EQ(a.AdrIOA, 16);
    EXPECT_EQ(a.Min_TM_Diap, 0);
    EXPECT_EQ(a.Max_TM_Diap, 4000);
    EXPECT_EQ(a.Min_Eng_Diap, 1000);
    EXPECT_EQ(a.Max_Eng_Diap, -12.25);
    const T_TI& b = kp.TI_arr[2];
    EXPECT_EQ(b.NameTI, "Ib");
    EXPECT_EQ(b.AdrASDU, 0);
    EXPECT_EQ(b.Min_TM_Diap, 0);
    EXPECT_EQ(kp.Kol_TS, 0);
}

}  // namespace
}  // namespace iec
