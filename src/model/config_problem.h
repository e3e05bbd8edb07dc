// A problem found while loading configuration files, with the place it was found, for the operator.
#pragma once

#include <string>
#include <vector>

namespace iec {

struct ConfigProblem {
    enum class Severity { Warning, Error };
    Severity severity = Severity::Error;
    std::string file;   // file name as the operator knows it, e.g. "iec101.cfg"
    int line = 0;       // 1-based; 0 when the problem concerns the whole file
    std::string field;  // e.g. "field 7 (AdrIOA)"; empty when it concerns the whole line or file
    std::string message;

    // "iec101.cfg:12: field 7 (AdrIOA): expected an integer, found "1a"" with "error"/"warning" before it.
    std::string ToString() const;
};

struct ConfigReport {
    std::vector<ConfigProblem> problems;

    bool HasErrors() const;
    void Error(std::string file, int line, std::string field, std::string message);
    void Warning(std::string file, int line, std::string field, std::string message);
    void Append(const ConfigReport& other);
};

}  // namespace iec
