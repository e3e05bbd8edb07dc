// A grid of text cells as the views show it: row 0 is the header row, column 0 an empty fixed column. Writes
// outside the grid are ignored and reads outside it give an empty text, so that no row count coming from a station
// or a file can reach outside the grid.
#pragma once

#include <string>
#include <vector>

namespace iec {

class GridModel {
public:
    GridModel() = default;
    GridModel(int rows, int columns) { Reset(rows, columns); }

    // Every cell empty, the grid rows x columns.
    void Reset(int rows, int columns) {
        columns_ = columns > 0 ? columns : 0;
        cells_.assign(rows > 0 ? static_cast<size_t>(rows) : 0, std::vector<std::string>(static_cast<size_t>(columns_)));
    }
    int Rows() const { return static_cast<int>(cells_.size()); }
    int Columns() const { return columns_; }
    bool Contains(int row, int column) const { return row >= 0 && row < Rows() && column >= 0 && column < columns_; }

    const std::string& At(int row, int column) const {
        static const std::string kEmpty;
        return Contains(row, column) ? cells_[static_cast<size_t>(row)][static_cast<size_t>(column)] : kEmpty;
    }
    void Set(int row, int column, std::string text) {
        if (Contains(row, column)) cells_[static_cast<size_t>(row)][static_cast<size_t>(column)] = std::move(text);
    }
    // An empty row before row `at` (at the end when `at` is Rows()); nothing outside 0..Rows().
    void InsertRow(int at) {
        if (at < 0 || at > Rows()) return;
        cells_.insert(cells_.begin() + at, std::vector<std::string>(static_cast<size_t>(columns_)));
    }
    // Row `at` removed, the rows below move up; nothing outside the grid.
    void EraseRow(int at) {
        if (at >= 0 && at < Rows()) cells_.erase(cells_.begin() + at);
    }
    // Row `from` taken out and put in at `to`, the rows between shift by one; nothing outside the grid.
    void MoveRow(int from, int to) {
        if (from < 0 || from >= Rows() || to < 0 || to >= Rows() || from == to) return;
        std::vector<std::string> row = std::move(cells_[static_cast<size_t>(from)]);
        cells_.erase(cells_.begin() + from);
        cells_.insert(cells_.begin() + to, std::move(row));
    }
    // Header texts from column 1 on.
    void SetHeader(const std::vector<std::string>& titles) {
        for (size_t c = 0; c < titles.size(); ++c) Set(0, static_cast<int>(c) + 1, titles[c]);
    }

    friend bool operator==(const GridModel&, const GridModel&) = default;

private:
    int columns_ = 0;
    std::vector<std::vector<std::string>> cells_;
};

}  // namespace iec
