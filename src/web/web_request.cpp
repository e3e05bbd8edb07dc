#include "web/web_request.h"

#include <cctype>
#include <system_error>

#include "platform/cp1251.h"
#include "platform/file_util.h"
#include "web/web_dispatch.h"
#include "web/web_files.h"
#include "web/web_query.h"

namespace iec {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Compares without stopping at the first difference, so the time taken tells nothing about the password.
bool SameOctets(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
    return diff == 0;
}

bool IsBinaryType(std::string_view type) {
    return type == "image/jpeg" || type == "image/gif" || type == "image/png" || type == "application/octet-stream";
}

}  // namespace

std::optional<WebRequestTarget> ParseRequestTarget(std::string_view target) {
    if (StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://")) {
        const size_t authority = target.find("//") + 2;
        const size_t slash = target.find_first_of("/?", authority);
        if (slash == std::string_view::npos) {
            target = "/";
        } else if (target[slash] == '?') {
            return std::nullopt;
        } else {
            target = target.substr(slash);
        }
    }
    if (target.empty() || target.front() != '/') return std::nullopt;
    const size_t q = target.find('?');
    const std::optional<std::string> path = PercentDecode(target.substr(0, q), false);
    if (!path) return std::nullopt;
    WebRequestTarget t;
    t.Path = *path;
    if (q != std::string_view::npos) t.Query = std::string(target.substr(q + 1));
    return t;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    if (text.size() % 4 == 1) return std::nullopt;
    std::string out;
    out.reserve(text.size() * 3 / 4);
    uint32_t acc = 0;
    int bits = 0;
    for (const char c : text) {
        const int v = Base64Value(c);
        if (v < 0) return std::nullopt;
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return out;
}

bool TransferAuthorized(std::string_view authorization, std::string_view password) {
    size_t start = authorization.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    authorization.remove_prefix(start);
    if (!StartsWithNoCase(authorization, "basic") || authorization.size() < 6 ||
        (authorization[5] != ' ' && authorization[5] != '\t')) {
        return false;
    }
    std::string_view credentials = authorization.substr(6);
    start = credentials.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    credentials.remove_prefix(start);
    const size_t end = credentials.find_last_not_of(" \t");
    credentials = credentials.substr(0, end + 1);
    const std::optional<std::string> decoded = Base64Decode(credentials);
    if (!decoded || decoded->empty() || decoded->front() != ':') return false;
    const std::string_view given = std::string_view(*decoded).substr(1);
    const bool utf8 = SameOctets(given, password);
    const bool cp1251 = SameOctets(given, Utf8ToCp1251(password));
    return utf8 || cp1251;
}

WebResponse WebErrorResponse(int status) {
    WebResponse r;
    r.Status = status;
    r.ContentType = "text/plain";
    switch (status) {
        case 400: r.Body = "400 Bad Request"; break;
        case 401:
            r.Body = "401 Unauthorized";
            r.WwwAuthenticate = "Basic realm=\"configuration\"";
            break;
        case 404: r.Body = "404 Not Found"; break;
        case 413: r.Body = "413 Payload Too Large"; break;
        default: r.Body = std::to_string(status); break;
    }
    return r;
}

WebResponse IdHTTPServer1CommandGet(WebDataSource& data, std::string_view path, std::string_view query,
                                    std::string_view authorization) {
    const WebDispatchResult d = Web_Dispatch(data, path, query);
    if (d.ConfigFile) {
        const std::string password = data.TransferPassword();
        // Asked before the file is looked at, so that an unauthorised client cannot learn which files exist.
        if (!password.empty() && !TransferAuthorized(authorization, password)) return WebErrorResponse(401);
    }
    if (!d.Found()) return WebErrorResponse(404);

    WebResponse r;
    r.CacheControl = d.CacheControl;
    if (IsBinaryType(d.ContentType)) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(d.File, ec);
        if (ec || size > kMaxServedFileSize) return WebErrorResponse(404);
        std::optional<std::string> bytes = ReadFileBytes(d.File);
        if (!bytes) return WebErrorResponse(404);
        r.ContentType = d.ContentType;
        r.Body = std::move(*bytes);
        return r;
    }
    // Style sheets and scripts go out in the code page of the pages that link them, without a charset: a
    // browser reads them in the linking page's code page.
    r.ContentType = d.ContentType == "text/html" ? "text/html; charset=windows-1251" : d.ContentType;
    r.Body = Utf8ToCp1251(d.Body);
    return r;
}

}  // namespace iec
