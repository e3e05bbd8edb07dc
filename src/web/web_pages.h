// The page builders. Each appends lines (UTF-8) to a page; they read the server's state only through
// WebDataSource and may run on any connection thread at the same time.
#pragma once

#include <string_view>

#include "web/web_data.h"
#include "web/web_html.h"

namespace iec {

// The head of every page and its navigation: the title by path, the current navigation item marked.
void Web_Page_Head(std::string_view path, WebLines& lines);

// The footer that closes every page.
void Web_Page_Footer(WebLines& lines);

// The station selector and the value table. kind "ti": measured values (page titek.php); any other kind, "ts":
// status signals (page tstek.php). query: the request's query text as received.
void Web_Table_TsTit(const WebDataSource& data, std::string_view kind, std::string_view query, WebLines& lines);

// The table of the stations' configuration.
void Web_Table_Config(const WebDataSource& data, WebLines& lines);

// Rows shown on a value page without a query; the rest is behind the "all data" link.
constexpr int kWebRowLimit = 420;

}  // namespace iec
