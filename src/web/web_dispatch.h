// The dispatcher: what a request path and query are answered with. Pages are built from the data source on
// every call; static files come from the "web" folder of the program folder, the four configuration files from
// the program folder itself. Callable from any thread at the same time.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "web/web_data.h"

namespace iec {

struct WebDispatchResult {
    std::string Body;             // page or text file, UTF-8 text; empty when nothing was found
    std::filesystem::path File;   // a file sent byte for byte (pictures, configuration files)
    std::string CacheControl;     // empty: no Cache-Control header
    std::string ContentType;      // "text/html", "text/css", ... without a charset
    bool ConfigFile = false;      // the path asks for a configuration file: the transfer password applies

    bool Found() const { return !Body.empty() || !File.empty(); }
};

// The configuration files another installation fetches: only these names, only from the program folder.
bool IsConfigFileName(std::string_view name);

// path: URL-decoded request path ("/titek.php"); query: the text after "?" as received. "/savef.php" and
// "/nosavef.php" switch the exchange logs through data and are then answered like any other path (not found).
WebDispatchResult Web_Dispatch(WebDataSource& data, std::string_view path, std::string_view query);

}  // namespace iec
