#include "ui/signal_csv.h"

#include <algorithm>

#include "model/text_routines.h"
#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "platform/number_text.h"
#include "ui/name_check.h"
#include "ui/ui_texts.h"

namespace iec {
namespace {

constexpr int kFileColumns = 8;  // columns written per line, whatever the table

std::string Place(int line, int column, const SignalTable& table) {
    std::string where = "строка " + std::to_string(line) + ", столбец " + std::to_string(column);
    const auto& headers = table.Headers();
    if (column >= 1 && column <= static_cast<int>(headers.size())) {
        where += " («" + headers[static_cast<size_t>(column) - 1] + "»)";
    }
    return where + ": ";
}

std::string Quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

bool BlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == ';' || c == '\t'; });
}

// Why the cell's text cannot stand in this column; empty when it can.
std::string CellProblem(const SignalTable& table, int column, const std::string& text) {
    if (column == 1) return NameProblem(text, NameUse::Signal);
    if (text.empty()) return {};
    if (table.IntegerColumn(column)) {
        return ParseInt(text) ? "" : Quoted(text) + " — не целое число";
    }
    if (table.RealColumn(column)) {
        return ParseReal(text, '.') ? "" : Quoted(text) + " — не число (десятичный разделитель — точка)";
    }
    if (table.Kind() == SignalKind::Status && column == SignalTable::kCommandTypeColumn &&
        CommandTypeIndex(text) < 0) {
        return "неизвестный тип ТУ " + Quoted(text);
    }
    return Cp1251Problem(text);
}

// One data line into its row; a refusal names the line.
std::string ReadLine(const SignalTable& table, std::string_view line, int line_number, GridModel& rows, int row) {
    if (BlankLine(line)) return {};
    const int last = table.LastColumn();
    const int fields = static_cast<int>(std::count(line.begin(), line.end(), ';')) + 1;
    if (fields < last) {
        return Place(line_number, fields + 1, table) + "нет поля (в строке должно быть " + std::to_string(last) +
               " полей через «;»)";
    }
    for (int c = last + 1; c <= fields; ++c) {
        const std::string extra = TrimText(Get_CSV_Field(line, c));
        if (!extra.empty()) return Place(line_number, c, table) + "лишнее поле " + Quoted(extra);
    }
    for (int c = 1; c <= last; ++c) {
        std::string text = Get_CSV_Field(line, c);
        // Spreadsheets leave blanks after numbers; names and comments keep theirs.
        if (c != 1 && c != SignalTable::kCommentColumn) text = TrimText(text);
        if (std::string why = CellProblem(table, c, text); !why.empty()) return Place(line_number, c, table) + why;
        rows.Set(row, c, std::move(text));
    }
    return {};
}

}  // namespace

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string FormatSignalCsv(const SignalTable& table, std::string& problem) {
    problem.clear();
    std::string text;
    for (int r = 0; r < table.Rows(); ++r) {
        for (int c = 1; c <= kFileColumns; ++c) {
            const std::string& cell = table.Cell(r, c);
            std::string why = cell.find(';') != std::string::npos ? "символ «;» разделяет поля файла"
                                                                   : Cp1251Problem(cell);
            if (!why.empty()) {
                problem = Place(r + 1, c, table) + why;
                return {};
            }
            text += cell;
            text += ';';
        }
        text += "\r\n";
    }
    return Utf8ToCp1251(text);
}

CsvRows ParseSignalCsv(const SignalTable& table, std::string_view bytes) {
    CsvRows out;
    const std::vector<std::string> lines = SplitLines(DecodeFileText(bytes));
    if (lines.empty()) {
        out.problem = "файл пуст, нет даже строки заголовка";
        return out;
    }
    if (lines.size() - 1 > static_cast<size_t>(kMaxCsvRows)) {
        out.problem = "строка " + std::to_string(kMaxCsvRows + 2) + ": в таблице может быть не больше " +
                      std::to_string(kMaxCsvRows) + " строк";
        return out;
    }
    GridModel rows(static_cast<int>(lines.size()), table.LastColumn() + 1);
    for (size_t i = 1; i < lines.size(); ++i) {
        const int row = static_cast<int>(i);
        if (std::string why = ReadLine(table, lines[i], row + 1, rows, row); !why.empty()) {
            out.problem = std::move(why);
            return out;
        }
    }
    out.rows = std::move(rows);
    return out;
}

std::filesystem::path CsvFileName(const std::filesystem::path& chosen) {
    using String = std::filesystem::path::string_type;
    const String extension{'.', 'c', 's', 'v'};
    if (chosen.filename().native().find(extension) != String::npos) return chosen;
    std::filesystem::path named = chosen;
    named += extension;
    return named;
}

CsvOutcome SaveSignalCsv(const SignalTable& table, const std::filesystem::path& chosen) {
    CsvOutcome out;
    const std::filesystem::path file = CsvFileName(chosen);
    std::string problem;
    const std::string bytes = FormatSignalCsv(table, problem);
    if (problem.empty()) problem = WriteFileAtomic(file, bytes);
    if (!problem.empty()) {
        out.message = std::string(ui_text::kTableNotSaved) + PathText(file) + ": " + problem;
        return out;
    }
    out.done = true;
    out.message = ui_text::kSaved + PathText(file);
    return out;
}

CsvOutcome LoadSignalCsv(SignalTable& table, const std::filesystem::path& file) {
    CsvOutcome out;
    const std::optional<std::string> bytes = ReadFileBytes(file);
    if (!bytes) {
        out.message = std::string(ui_text::kTableNotLoaded) + PathText(file) + ": файл не читается";
        return out;
    }
    CsvRows parsed = ParseSignalCsv(table, *bytes);
    if (!parsed.rows) {
        out.message = std::string(ui_text::kTableNotLoaded) + PathText(file) + ": " + parsed.problem;
        return out;
    }
    table.Replace(std::move(*parsed.rows));
    out.done = true;
    return out;
}

}  // namespace iec
