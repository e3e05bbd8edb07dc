#include "web/web_dispatch.h"

#include <array>

#include "web/web_files.h"
#include "web/web_pages.h"

namespace iec {

namespace {

constexpr std::array<std::string_view, 4> kConfigFiles = {"iec101.cfg", "cnf.ini", "test.cfg", "iec101kp.cfg"};

struct StaticType {
    std::string_view substring;
    std::string_view content_type;
    bool text;
};

// Plain substring tests in this order, a later match overriding an earlier one (".json" is served as a script,
// "x.css.png" as a picture): installations rely on these names.
constexpr std::array<StaticType, 6> kStaticTypes = {{
    {".css", "text/css", true},
    {".html", "text/html", true},
    {".js", "application/x-javascript", true},
    {".jpg", "image/jpeg", false},
    {".gif", "image/gif", false},
    {".png", "image/png", false},
}};

WebDispatchResult Page(std::string body) {
    WebDispatchResult r;
    r.Body = std::move(body);
    r.CacheControl = "no-cache";
    r.ContentType = "text/html";
    return r;
}

std::string ValuePage(const WebDataSource& data, std::string_view path, std::string_view kind,
                      std::string_view query) {
    WebLines lines;
    Web_Page_Head(path, lines);
    Web_Table_TsTit(data, kind, query, lines);
    Web_Page_Footer(lines);
    return JoinWebLines(lines);
}

std::string EmptyPage(std::string_view path) {
    WebLines lines;
    Web_Page_Head(path, lines);
    Web_Page_Footer(lines);
    return JoinWebLines(lines);
}

std::string ConfigPage(const WebDataSource& data, std::string_view path) {
    WebLines lines;
    Web_Page_Head(path, lines);
    Web_Table_Config(data, lines);
    Web_Page_Footer(lines);
    return JoinWebLines(lines);
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The four configuration files: only a path whose last segment is one of their names, only inside the program
// folder (its subfolders included, as "/web/cnf.ini" has always been). A path that merely contains such a name
// ("/cnf.ini.bak") is refused rather than handed out from the program folder.
WebDispatchResult ConfigFile(const WebDataSource& data, std::string_view path) {
    WebDispatchResult r;
    r.ConfigFile = true;
    r.ContentType = "application/octet-stream";
    const std::optional<std::filesystem::path> relative = RelativeRequestPath(path);
    if (!relative) return r;
    const std::u8string last = relative->filename().u8string();
    if (!IsConfigFileName(std::string_view(reinterpret_cast<const char*>(last.data()), last.size()))) return r;
    if (const auto file = FileInside(data.ProgramFolder(), *relative)) r.File = *file;
    return r;
}

WebDispatchResult StaticFile(const WebDataSource& data, std::string_view path) {
    WebDispatchResult r;
    const StaticType* type = nullptr;
    for (const StaticType& t : kStaticTypes) {
        if (Contains(path, t.substring)) type = &t;
    }
    if (!type) return r;
    const std::optional<std::filesystem::path> relative = RelativeRequestPath(path);
    if (!relative) return r;
    const std::optional<std::filesystem::path> file = FileInside(data.ProgramFolder() / "web", *relative);
    if (!file) return r;
    r.ContentType = std::string(type->content_type);
    if (type->text) {
        if (auto text = ReadWebTextFile(*file)) r.Body = std::move(*text);
    } else {
        r.File = *file;
    }
    return r;
}

}  // namespace

bool IsConfigFileName(std::string_view name) {
    for (const std::string_view c : kConfigFiles) {
        if (name == c) return true;
    }
    return false;
}

WebDispatchResult Web_Dispatch(WebDataSource& data, std::string_view path, std::string_view query) {
    if (path == "/savef.php") data.SetSaveObmen(true);
    if (path == "/nosavef.php") data.SetSaveObmen(false);

    if (path == "/" || path == "/titek.php") return Page(ValuePage(data, path, "ti", query));
    if (path == "/tstek.php") return Page(ValuePage(data, path, "ts", query));
    if (path == "/reg.php" || path == "/arch.php") return Page(EmptyPage(path));
    if (path == "/config.php") return Page(ConfigPage(data, path));
    if (path == "/index-7.html") {
        WebDispatchResult r = Page(std::string());
        if (const auto file = FileInside(data.ProgramFolder() / "web", "index-7.html")) {
            if (auto text = ReadWebTextFile(*file)) r.Body = std::move(*text);
        }
        return r;
    }

    // The configuration names are looked for in the request path, not in the folder the program is installed
    // in, so that the answer does not depend on the installation's location.
    for (const std::string_view c : kConfigFiles) {
        if (Contains(path, c)) return ConfigFile(data, path);
    }
    return StaticFile(data, path);
}

}  // namespace iec
