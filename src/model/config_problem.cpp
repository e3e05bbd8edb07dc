#include "model/config_problem.h"

namespace iec {

std::string ConfigProblem::ToString() const {
    std::string s = severity == Severity::Error ? "error: " : "warning: ";
    s += file;
    if (line > 0) s += ":" + std::to_string(line);
    s += ": ";
    if (!field.empty()) s += field + ": ";
    s += message;
    return s;
}

bool ConfigReport::HasErrors() const {
    for (const auto& p : problems) {
        if (p.severity == ConfigProblem::Severity::Error) return true;
    }
    return false;
}

void ConfigReport::Error(std::string file, int line, std::string field, std::string message) {
    problems.push_back({ConfigProblem::Severity::Error, std::move(file), line, std::move(field), std::move(message)});
}

void ConfigReport::Warning(std::string file, int line, std::string field, std::string message) {
    problems.push_back(
        {ConfigProblem::Severity::Warning, std::move(file), line, std::move(field), std::move(message)});
}

void ConfigReport::Append(const ConfigReport& other) {
    problems.insert(problems.end(), other.problems.begin(), other.problems.end());
}

}  // namespace iec
