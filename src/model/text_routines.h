// Text and number routines of the configuration files and CSV exports.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace iec {

// A text that must be a number is not one; the message names the text.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Leading and trailing blanks and control characters removed.
std::string TrimText(std::string_view s);

// Opens a text file: mode "r" reads, "w" creates or truncates, "a" appends (and creates when appending fails).
// On failure of "r" or "w" error is "ERROR:Не открывается файл:<name> mode=<mode>"; any other mode fails with an
// empty error.
bool Open_Text_File(std::fstream& f, const std::string& name, std::string_view mode, std::string& error);

// One pair of enclosing double quotes removed, when the text is longer than one character.
std::string Strip_Quotes(std::string_view text);

// 0 for an empty text, else a strict integer; throws ConvertError for a text that is not one.
int Str_To_Int_Or_Zero(std::string_view text);

// A real with sep as decimal separator; sep '_' means "." when the text holds a point, else ",". An empty text
// gives 0; throws ConvertError for a text that is not a number.
double Str_To_Float_Sep(std::string_view text, char sep);

// Field n (from 1) of a ';'-separated line, blanks before each field removed; "0" when the line has fewer fields.
std::string Get_CSV_Field(std::string_view line, int n);

// Ends the program at once with exit code 1; the text is not shown.
[[noreturn]] void Halt_Program(std::string_view text);

}  // namespace iec
