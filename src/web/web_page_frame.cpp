// Head and footer of every page. The lines are the ones existing installations send; the style sheets of web/
// are written against them.
#include "web/web_pages.h"

namespace iec {

namespace {

constexpr std::string_view kTitleSuffix = ". Web-интерфейс ОРС-сервера.</title>";

void AddTitle(std::string_view text, WebLines& lines) {
    std::string line = "<title>";
    line += text;
    line += kTitleSuffix;
    lines.push_back(std::move(line));
}

void AddNavItem(std::string_view href, std::string_view text, bool current, WebLines& lines) {
    std::string line = "<li><a href=\"";
    line += href;
    line += current ? "\" class=\"current\">" : "\">";
    line += text;
    line += "</a></li>";
    lines.push_back(std::move(line));
}

}  // namespace

void Web_Page_Head(std::string_view path, WebLines& lines) {
    lines.insert(lines.end(), {"<!DOCTYPE html>", "<html lang=\"ru\">", "<head>"});

    const bool values = path.empty() || path == "/" || path == "/titek.php";
    if (values) {
        AddTitle("Текущие телеизмерения", lines);
    } else if (path == "/tstek.php") {
        AddTitle("Текущие телесигналы", lines);
    } else if (path == "/reg.php") {
        AddTitle("Журнал событий", lines);
    }
    if (path == "/alarm.php") AddTitle("Текущие аварии", lines);
    if (path == "/arch.php") AddTitle("Архив измерений", lines);

    lines.insert(lines.end(),
                 {"<meta charset=\"Windows-1251\">",
                  "<link rel=\"stylesheet\" href=\"css/reset.css\" type=\"text/css\" media=\"all\">",
                  "<link rel=\"stylesheet\" href=\"css/grid.css\" type=\"text/css\" media=\"all\">",
                  "<link rel=\"stylesheet\" href=\"css/style.css\" type=\"text/css\" media=\"all\">",
                  "<!--[if lt IE 7]>",
                  "<link rel=\"stylesheet\" href=\"css/ie/ie6.css\" type=\"text/css\" media=\"screen\">",
                  "<![endif]-->",
                  "<!--[if lt IE 9]>",
                  "<script type=\"text/javascript\" src=\"js/html5.js\"></script>",
                  "<![endif]-->",
                  "</head>",
                  "",
                  "<body id=\"page2\">",
                  "<!-- header -->",
                  "<header>",
                  "<div class=\"container_12\">",
                  "<!-- .logo -->",
                  "<div class=\"logo\">",
                  "<h1><a href=\"titek.php\">ОРС-сервер МЭК 60870-5-101</a></h1>",
                  "<span>Текущие данные и конфигурация</span>",
                  "</div>",
                  "<!-- /.logo -->",
                  "<a href=\"#\" class=\"rss\"> </a>",
                  "<nav>",
                  "<ul>"});

    AddNavItem("titek.php", "Телеизмерения", values && !path.empty(), lines);
    AddNavItem("tstek.php", "Телесигналы", path == "/tstek.php", lines);
    AddNavItem("config.php", "Конфигурация", path == "/config.php", lines);

    lines.insert(lines.end(), {"<li><a href=\"help.html\">Помощь</a></li>",
                               "<li><a href=\"index-7.html\">О программе</a></li>", "</ul>", "</nav>", "</div>",
                               "</header>", "<section id=\"main-banner\">", "<div class=\"container_12\">",
                               "<!-- .banner -->", "<section id=\"content\">"});
}

void Web_Page_Footer(WebLines& lines) {
    lines.insert(lines.end(), {"</div>",
                               "</section>",
                               "</section>",
                               "<!-- footer -->",
                               "<footer>",
                               "<div class=\"container_12\">",
                               "<div class=\"indent\">",
                               "<nav>",
                               "<ul>",
                               "<li><a href=\"titek.php\">Текущие телеизмерения</a></li>",
                               "<li><a href=\"tstek.php\">Текущие телесигналы</a></li>",
                               "<li><a href=\"config.php\">Конфигурация ОРС-сервера</a></li>",
                               "<li><a href=\"help.html\">Помощь</a></li>",
                               "<li><a href=\"index-7.html\">О программе</a></li>",
                               "</ul>",
                               "</nav>",
                               "<div>",
                               "</div>",
                               "</div>",
                               "</div>",
                               "</footer>",
                               "</body>",
                               "</html>"});
}

}  // namespace iec
