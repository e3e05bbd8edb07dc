// One signal table of the station dialog: the status signals (with their telecontrol addresses and command type)
// or the measured values (with their raw and engineering ranges). Row 0 holds the headers, column 0 is an empty
// fixed column, every other cell is text as the operator typed it; numbers are read only when the dialog's "OK"
// turns the rows into the station's signals.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/station.h"
#include "ui/grid_model.h"

namespace iec {

enum class SignalKind { Status, Measured };

// The command types in the order of Type_TU (the texts keep their double blanks).
inline constexpr std::array<const char*, 4> kCommandTypes = {
    "<45> C_SC_NA Однопозиц. команда с предвыбором",
    "<45> C_SC_NA Однопозиц. команда прямое",
    "<46> C_DC_NA  Двухпозиц.  команда с предвыбором",
    "<46> C_DC_NA  Двухпозиц.  команда прямое",
};
// Type_TU of a command type text; 0 for any other text.
int CommandTypeOf(const std::string& text);
// Position of the text in the list, or -1.
int CommandTypeIndex(const std::string& text);

class SignalTable {
public:
    static constexpr int kCommentColumn = 4;
    static constexpr int kCommandTypeColumn = 7;  // status table only

    explicit SignalTable(SignalKind kind);

    SignalKind Kind() const { return kind_; }
    // The last column with data: 7 for status signals, 8 for measured values.
    int LastColumn() const { return kind_ == SignalKind::Status ? 7 : 8; }
    // Header texts of columns 1..LastColumn().
    const std::vector<std::string>& Headers() const;
    const GridModel& Grid() const { return grid_; }
    int Rows() const { return grid_.Rows(); }
    const std::string& Cell(int row, int column) const { return grid_.At(row, column); }

    // The headers and `rows` - 1 empty data rows.
    void Reset(int rows);
    // The rows of the station's signals (Kol_TS + 1 or Kol_TI + 1 rows). A status row shows its command type only
    // when both command addresses are set.
    void Load(const T_KP& kp);

    // The toolbar of the page. A cursor outside the data rows inserts at the end and deletes nothing.
    void AppendRow();
    void InsertRow(int cursor);
    void DeleteRow(int cursor);
    // Dragging a data row to another data row's place.
    void MoveRow(int from, int to);

    // What the operator typed into a data cell: number columns keep only a valid number (see CheckedCellText).
    void EditCell(int row, int column, const std::string& text);
    // A cell set as it is (files, the command-type list).
    void SetCell(int row, int column, std::string text) { grid_.Set(row, column, std::move(text)); }
    // Whether column 7 of this row offers the command-type list (data rows of the status table).
    bool OffersCommandType(int row, int column) const;
    void ChooseCommandType(int row, int index);

    // The data rows as the station's signals: rows with an empty (or blank) name are skipped; numbers that cannot be read
    // become 0. Replaces the station's TS or TI list.
    void StoreInto(T_KP& kp) const;

    // Whether a column holds integers (addresses) or reals (ranges); neither for names, comment and type.
    bool IntegerColumn(int column) const;
    bool RealColumn(int column) const;

    // All rows replaced (a loaded file).
    void Replace(GridModel grid);

private:
    SignalKind kind_;
    GridModel grid_;
};

// The text a number cell keeps: an empty text, a text beginning with "-" and a valid number stay; otherwise the
// last character is dropped, again until one of those holds (typing "12a" leaves "12", pasting "1,5" leaves "1").
std::string CheckedCellText(const SignalTable& table, int column, std::string text);

}  // namespace iec
