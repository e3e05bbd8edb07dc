// A signal table in a file and back: one line per row, the header row first, the cells of columns 1 to 8 each
// followed by ";" (the status table's column 8 is empty), Windows-1251 text with CR LF. Installations exchange
// these files and engineers edit them in spreadsheets, so a file is taken whole or not at all: a line with missing
// or extra columns, a number that is not one, an unknown command type or a name the station file cannot hold
// refuses the file with its line and column, and the table stays as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "ui/grid_model.h"
#include "ui/signal_table.h"

namespace iec {

// Data rows a file may hold: no station can have more signals than the server registers in all.
inline constexpr int kMaxCsvRows = 10000;

struct CsvOutcome {
    bool done = false;
    std::string message;  // for the operator: "Сохранено в ..." or why nothing was done
};

// The file's bytes; `problem` names the row and column of a cell that a file cannot carry (a ";", a line break,
// a character outside Windows-1251), and the bytes are then empty.
std::string FormatSignalCsv(const SignalTable& table, std::string& problem);

// The rows a file's bytes give the table (row 0 left for the headers), or why the file is refused: "строка L,
// столбец C («header»): ...". UTF-8 with a byte-order mark is read too.
struct CsvRows {
    std::optional<GridModel> rows;
    std::string problem;
};
CsvRows ParseSignalCsv(const SignalTable& table, std::string_view bytes);

// The name to save under: ".csv" appended when the file name does not contain it.
std::filesystem::path CsvFileName(const std::filesystem::path& chosen);

CsvOutcome SaveSignalCsv(const SignalTable& table, const std::filesystem::path& chosen);
// Replaces the table's rows with the file's; the table is untouched when the file is refused or unreadable.
CsvOutcome LoadSignalCsv(SignalTable& table, const std::filesystem::path& file);

// A path as UTF-8 text for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace iec
