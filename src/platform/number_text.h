// Numbers in files, pages and lines: "." is the decimal separator whatever the locale, and the integer and real
// syntax is the one the station files have always been written in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace iec {

// Strict integer: optional leading blanks, an optional sign, decimal digits or a hexadecimal number written
// "$1F" or "0x1F"; nothing may follow. Values outside the 32-bit range are not numbers.
std::optional<int32_t> ParseInt(std::string_view text);

// Strict real with the given decimal separator: optional blanks around, an optional sign, digits with at most one
// separator, an optional exponent ("E" or "e" with an optional sign). No infinities, no NaN.
std::optional<double> ParseReal(std::string_view text, char separator = '.');

// The general format with up to 15 significant digits: fixed notation without trailing zeros while the value is
// at least 0.00001 and has at most 15 digits before the point, else scientific ("1.5E-6", "1E20").
std::string FormatReal(double value);

}  // namespace iec
