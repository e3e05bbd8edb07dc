// Pieces of the HTML the pages are made of. Pages are built as lines of UTF-8 text; the response encodes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace iec {

// A page under construction: each line is sent followed by CR LF.
using WebLines = std::vector<std::string>;

// The page text: every line followed by CR LF.
std::string JoinWebLines(const WebLines& lines);

// Text for element content: &, < and > escaped, everything else as it is.
std::string HtmlText(std::string_view text);

// A value for an attribute written after "value = ": as it is when it cannot end the attribute early (the
// form the pages have always had), else quoted with &, <, > and " escaped, so that a station name with a
// blank still selects its own station.
std::string HtmlAttrValue(std::string_view text);

// "<td>" + text + "</td>" (text already escaped).
std::string TableCell(std::string_view text);

// The opening of table row number n (from 1): odd rows carry class "even", even rows class "odd".
std::string TableRowStart(int n);

}  // namespace iec
