#include "ui/signal_table.h"

#include "model/text_routines.h"
#include "platform/number_text.h"

namespace iec {
namespace {

const std::vector<std::string> kStatusHeaders = {
    "Имя", "Адрес ASDU", "Адрес IOA", "Комментарий", "Адр. ASDU для ТУ", "Адр. IOA для ТУ", "Тип ТУ"};
// The "M" of both "Mах" headers is Latin, the rest Cyrillic, as installations have always written them.
const std::vector<std::string> kMeasuredHeaders = {
    "Имя", "Адрес ASDU", "Адрес IOA", "Комментарий", "Min физич. диапазона", "Mах физич. диапазона",
    "Min инжен. диапазона", "Mах инжен. диапазона"};

int IntOrZero(const std::string& text) { return ParseInt(text).value_or(0); }
double RealOrZero(const std::string& text) { return ParseReal(text, '.').value_or(0.0); }

// The text without its last character (a whole UTF-8 sequence).
void DropLastCharacter(std::string& text) {
    size_t end = text.size();
    while (end > 0) {
        --end;
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) break;
    }
    text.resize(end);
}

}  // namespace

int CommandTypeIndex(const std::string& text) {
    for (size_t i = 0; i < kCommandTypes.size(); ++i) {
        if (text == kCommandTypes[i]) return static_cast<int>(i);
    }
    return -1;
}

int CommandTypeOf(const std::string& text) {
    const int i = CommandTypeIndex(text);
    return i < 0 ? 0 : i;
}

SignalTable::SignalTable(SignalKind kind) : kind_(kind) { Reset(1); }

const std::vector<std::string>& SignalTable::Headers() const {
    return kind_ == SignalKind::Status ? kStatusHeaders : kMeasuredHeaders;
}

void SignalTable::Reset(int rows) {
    grid_.Reset(rows < 1 ? 1 : rows, LastColumn() + 1);
    grid_.SetHeader(Headers());
}

void SignalTable::Load(const T_KP& kp) {
    if (kind_ == SignalKind::Status) {
        Reset(kp.Kol_TS + 1);
        for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
            const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
            grid_.Set(j, 1, ts.NameTS);
            grid_.Set(j, 2, std::to_string(ts.AdrASDU));
            grid_.Set(j, 3, std::to_string(ts.AdrIOA));
            grid_.Set(j, 5, std::to_string(ts.AdrASDU_TU));
            grid_.Set(j, 6, std::to_string(ts.AdrIOA_TU));
            const bool command = ts.AdrASDU_TU != 0 && ts.AdrIOA_TU != 0;
            if (command && ts.Type_TU >= 0 && ts.Type_TU < static_cast<int>(kCommandTypes.size())) {
                grid_.Set(j, kCommandTypeColumn, kCommandTypes[static_cast<size_t>(ts.Type_TU)]);
            }
        }
    } else {
        Reset(kp.Kol_TI + 1);
        for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
            const T_TI& ti = kp.TI_arr[static_cast<size_t>(j)];
            grid_.Set(j, 1, ti.NameTI);
            grid_.Set(j, 2, std::to_string(ti.AdrASDU));
            grid_.Set(j, 3, std::to_string(ti.AdrIOA));
            grid_.Set(j, 5, FormatReal(ti.Min_TM_Diap));
            grid_.Set(j, 6, FormatReal(ti.Max_TM_Diap));
            grid_.Set(j, 7, FormatReal(ti.Min_Eng_Diap));
            grid_.Set(j, 8, FormatReal(ti.Max_Eng_Diap));
        }
    }
}

void SignalTable::AppendRow() { grid_.InsertRow(grid_.Rows()); }

void SignalTable::InsertRow(int cursor) {
    grid_.InsertRow(cursor >= 1 && cursor < grid_.Rows() ? cursor : grid_.Rows());
}

void SignalTable::DeleteRow(int cursor) {
    if (cursor >= 1) grid_.EraseRow(cursor);
}

void SignalTable::MoveRow(int from, int to) {
    if (from >= 1 && to >= 1) grid_.MoveRow(from, to);
}

bool SignalTable::IntegerColumn(int column) const {
    if (kind_ == SignalKind::Status) return column == 2 || column == 3 || column == 5 || column == 6;
    return column == 2 || column == 3;
}

bool SignalTable::RealColumn(int column) const { return kind_ == SignalKind::Measured && column >= 5 && column <= 8; }

std::string CheckedCellText(const SignalTable& table, int column, std::string text) {
    const bool integer = table.IntegerColumn(column);
    if (!integer && !table.RealColumn(column)) return text;
    auto acceptable = [&] {
        if (text.empty() || text[0] == '-') return true;
        return integer ? ParseInt(text).has_value() : ParseReal(text, '.').has_value();
    };
    while (!acceptable()) DropLastCharacter(text);
    return text;
}

void SignalTable::EditCell(int row, int column, const std::string& text) {
    if (row < 1) return;
    grid_.Set(row, column, CheckedCellText(*this, column, text));
}

bool SignalTable::OffersCommandType(int row, int column) const {
    return kind_ == SignalKind::Status && column == kCommandTypeColumn && row >= 1 && row < grid_.Rows();
}

void SignalTable::ChooseCommandType(int row, int index) {
    if (!OffersCommandType(row, kCommandTypeColumn)) return;
    if (index < 0 || index >= static_cast<int>(kCommandTypes.size())) return;
    grid_.Set(row, kCommandTypeColumn, kCommandTypes[static_cast<size_t>(index)]);
}

void SignalTable::StoreInto(T_KP& kp) const {
    if (kind_ == SignalKind::Status) {
        kp.Kol_TS = 0;
        kp.TS_arr.clear();
    } else {
        kp.Kol_TI = 0;
        kp.TI_arr.clear();
    }
    for (int r = 1; r < grid_.Rows(); ++r) {
        const std::string& name = grid_.At(r, 1);
        // A row of blanks names nothing either (the station file would keep the blanks as a name).
        if (TrimText(name).empty()) continue;
        if (kind_ == SignalKind::Status) {
            T_TS& ts = kp.AddTS();
            ts.NameTS = name;
            ts.AdrASDU = IntOrZero(grid_.At(r, 2));
            ts.AdrIOA = IntOrZero(grid_.At(r, 3));
            ts.AdrASDU_TU = IntOrZero(grid_.At(r, 5));
            ts.AdrIOA_TU = IntOrZero(grid_.At(r, 6));
            ts.Type_TU = CommandTypeOf(grid_.At(r, kCommandTypeColumn));
        } else {
            T_TI& ti = kp.AddTI();
            ti.NameTI = name;
            ti.AdrASDU = IntOrZero(grid_.At(r, 2));
            ti.AdrIOA = IntOrZero(grid_.At(r, 3));
            ti.Min_TM_Diap = RealOrZero(grid_.At(r, 5));
            ti.Max_TM_Diap = RealOrZero(grid_.At(r, 6));
            ti.Min_Eng_Diap = RealOrZero(grid_.At(r, 7));
            ti.Max_Eng_Diap = RealOrZero(grid_.At(r, 8));
        }
    }
}

void SignalTable::Replace(GridModel grid) {
    grid_ = std::move(grid);
    grid_.SetHeader(Headers());
}

}  // namespace iec
