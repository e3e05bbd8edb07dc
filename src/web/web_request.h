// One HTTP request turned into its response, independent of the transport: the request target split and
// decoded, the transfer password checked for the configuration files, the body encoded for the wire.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "web/web_data.h"

namespace iec {

struct WebRequestTarget {
    std::string Path;   // URL-decoded
    std::string Query;  // the text after "?" as received
};

// The request target of an HTTP request line: origin form "/path?query" or absolute form
// "http://host/path?query". Nothing (the request is answered 400) for any other form or a malformed escape.
std::optional<WebRequestTarget> ParseRequestTarget(std::string_view target);

// Standard base64 with optional "=" padding; nothing for any other character or a bad length.
std::optional<std::string> Base64Decode(std::string_view text);

// True when the Authorization header value is HTTP Basic with an empty user name and the password, as the
// transfer client sends it. The password (UTF-8) is accepted in UTF-8 and in Windows-1251 octets.
bool TransferAuthorized(std::string_view authorization, std::string_view password);

struct WebResponse {
    int Status = 200;
    std::string ContentType;      // the header value, charset included
    std::string CacheControl;     // empty: no header
    std::string WwwAuthenticate;  // set with 401
    std::string Body;             // octets as sent
};

// The request handler: the response to a request for path (decoded) and query (as received) with the given
// Authorization header value (empty when absent). Every method gets the same answer; a request body is ignored.
// Text bodies are sent in Windows-1251, the code page the pages declare.
WebResponse IdHTTPServer1CommandGet(WebDataSource& data, std::string_view path, std::string_view query,
                                    std::string_view authorization);

// The short answer of an error status (400, 401, 404, ...).
WebResponse WebErrorResponse(int status);

}  // namespace iec
