// Head and footer of the pages, line by line.
#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "web/web_pages.h"

namespace iec {
namespace {

using ::testing::ElementsAreArray;

const WebLines kHeadOfValuePage = {
    "<!DOCTYPE html>",
    "<html lang=\"ru\">",
    "<head>",
    "<title>Текущие телеизмерения. Web-интерфейс ОРС-сервера.</title>",
    "<meta charset=\"Windows-1251\">",
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
    "<ul>",
    "<li><a href=\"titek.php\" class=\"current\">Телеизмерения</a></li>",
    "<li><a href=\"tstek.php\">Телесигналы</a></li>",
    "<li><a href=\"config.php\">Конфигурация</a></li>",
    "<li><a href=\"help.html\">Помощь</a></li>",
    "<li><a href=\"index-7.html\">О программе</a></li>",
    "</ul>",
    "</nav>",
    "</div>",
    "</header>",
    "<section id=\"main-banner\">",
    "<div class=\"container_12\">",
    "<!-- .banner -->",
    "<section id=\"content\">",
};

WebLines Head(std::string_view path) {
    WebLines lines;
    Web_Page_Head(path, lines);
    return lines;
}

std::vector<std::string> Titles(const WebLines& lines) {
    std::vector<std::string> titles;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(titles),
                 [](const std::string& l) { return l.starts_with("<title>"); });
    return titles;
}

std::vector<std::string> CurrentItems(const WebLines& lines) {
    std::vector<std::string> items;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(items),
                 [](const std::string& l) { return l.find("class=\"current\"") != std::string::npos; });
    return items;
}

TEST(PageHead, RootIsTheMeasuredValuePageLineByLine) {
    EXPECT_THAT(Head("/"), ElementsAreArray(kHeadOfValuePage));
    EXPECT_THAT(Head("/titek.php"), ElementsAreArray(kHeadOfValuePage));
}

TEST(PageHead, AppendsToWhatIsAlreadyThere) {
    WebLines lines = {"before"};
    Web_Page_Head("/", lines);
    ASSERT_EQ(lines.size(), kHeadOfValuePage.size() + 1);
    EXPECT_EQ(lines.front(), "before");
    EXPECT_EQ(lines[1], "<!DOCTYPE html>");
}

TEST(PageHead, TitleByPath) {
    EXPECT_THAT(Titles(Head("/tstek.php")),
                ElementsAreArray(WebLines{"<title>Текущие телесигналы. Web-интерфейс ОРС-сервера.</title>"}));
    EXPECT_THAT(Titles(Head("/reg.php")),
                ElementsAreArray(WebLines{"<title>Журнал событий. Web-интерфейс ОРС-сервера.</title>"}));
    EXPECT_THAT(Titles(Head("/alarm.php")),
                ElementsAreArray(WebLines{"<title>Текущие аварии. Web-интерфейс ОРС-сервера.</title>"}));
    EXPECT_THAT(Titles(Head("/arch.php")),
                ElementsAreArray(WebLines{"<title>Архив измерений. Web-интерфейс ОРС-сервера.</title>"}));
    EXPECT_THAT(Titles(Head("")),
                ElementsAreArray(WebLines{"<title>Текущие телеизмерения. Web-интерфейс ОРС-сервера.</title>"}));
    EXPECT_TRUE(Titles(Head("/config.php")).empty());
    EXPECT_TRUE(Titles(Head("/other")).empty());
}

TEST(PageHead, WithoutTitleTheRestIsUnchanged) {
    WebLines expected = kHeadOfValuePage;
    expected.erase(expected.begin() + 3);
    expected[28] = "<li><a href=\"titek.php\">Телеизмерения</a></li>";
    expected[30] = "<li><a href=\"config.php\" class=\"current\">Конфигурация</a></li>";
    EXPECT_THAT(Head("/config.php"), ElementsAreArray(expected));
}

TEST(PageHead, CurrentNavigationItem) {
    EXPECT_THAT(CurrentItems(Head("/tstek.php")),
                ElementsAreArray(WebLines{"<li><a href=\"tstek.php\" class=\"current\">Телесигналы</a></li>"}));
    EXPECT_THAT(CurrentItems(Head("/config.php")),
                ElementsAreArray(WebLines{"<li><a href=\"config.php\" class=\"current\">Конфигурация</a></li>"}));
    EXPECT_TRUE(CurrentItems(Head("/reg.php")).empty());
    EXPECT_TRUE(CurrentItems(Head("/arch.php")).empty());
    // Case matters: another spelling is another path.
    EXPECT_TRUE(CurrentItems(Head("/TITEK.php")).empty());
    EXPECT_TRUE(Titles(Head("/TITEK.php")).empty());
}

TEST(PageFooter, LineByLine) {
    WebLines lines;
    Web_Page_Footer(lines);
    EXPECT_THAT(lines, ElementsAreArray(WebLines{
                           "</div>",
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
                           "</html>",
                       }));
}

TEST(PageText, EveryLineEndsWithCrLf) {
    EXPECT_EQ(JoinWebLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinWebLines({}), "");
}

}  // namespace
}  // namespace iec
