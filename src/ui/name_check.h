// The one check of every name the operator enters (station and signal names, typed or loaded from a table file):
// the station files are Windows-1251 text with one keyword line per item, so a name must be writable in that code
// page and must not carry the characters that the line syntax splits or quotes on.
#pragma once

#include <string>
#include <string_view>

namespace iec {

enum class NameUse {
    Station,  // written bare in the KP line: no ',' and no '"'; not empty
    Signal,   // written in double quotes in the TS and TIT lines: no '"'
};

// Why the text cannot be such a name, in the operator's words; empty when it can.
std::string NameProblem(std::string_view name, NameUse use);

// Why the text cannot stand in a Windows-1251 file at all (a character outside the code page, or a line break);
// empty when it can.
std::string Cp1251Problem(std::string_view text);

}  // namespace iec
