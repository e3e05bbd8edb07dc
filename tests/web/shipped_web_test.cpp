// The web/ folder the project ships: every file the pages link to is there and served, the help page explains
// what operators see, and the style sheets survive the code page they are sent in.
#include <gtest/gtest.h>

#include <regex>

#include "fake_web_data.h"
#include "platform/cp1251.h"
#include "web/web_request.h"

namespace iec {
namespace {

class ShippedWeb : public ::testing::Test {
protected:
    ShippedWeb() { data.folder = IEC_SOURCE_DIR; }

    WebResponse Get(std::string_view path) { return IdHTTPServer1CommandGet(data, path, "", ""); }

    test::FakeWebData data;
};

TEST_F(ShippedWeb, EveryLinkOfThePagesIsServed) {
    const std::string page = Get("/titek.php").Body + Get("/help.html").Body + Get("/index-7.html").Body;
    const std::regex link("(?:href|src)=\"([^\"#:]+)\"");
    int links = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), link); it != std::sregex_iterator(); ++it) {
        const std::string target = (*it)[1].str();
        if (target.ends_with(".php")) continue;
        ++links;
        EXPECT_EQ(Get("/" + target).Status, 200) << target;
    }
    EXPECT_GE(links, 7);  // the three style sheets, the old-browser sheet and script, help, about
}

TEST_F(ShippedWeb, StyleSheetsAndScriptsAreAscii) {
    for (const char* path : {"/css/reset.css", "/css/grid.css", "/css/style.css", "/css/ie/ie6.css", "/js/html5.js"}) {
        const WebResponse r = Get(path);
        ASSERT_EQ(r.Status, 200) << path;
        EXPECT_GT(r.Body.size(), 100u) << path;
        for (const char c : r.Body) ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << path;
    }
}

TEST_F(ShippedWeb, HelpExplainsWhatOperatorsSee) {
    const WebResponse r = Get("/help.html");
    ASSERT_EQ(r.Status, 200);
    const std::string text = Cp1251ToUtf8(r.Body);
    for (const char* phrase : {"Не инициализир.", "Нет соединения", "Байт качества", "IV", "NT", "SB", "BL", "OV",
                               "iec101.cfg", "cnf.ini", "iec101kp.cfg", "test.cfg", "401", "пароль"}) {
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase;
    }
    // Nothing was lost to the code page.
    EXPECT_EQ(r.Body.find('?'), std::string::npos);
    EXPECT_EQ(Get("/index-7.html").CacheControl, "no-cache");
    EXPECT_EQ(Cp1251ToUtf8(Get("/index-7.html").Body).find('?'), std::string::npos);
}

}  // namespace
}  // namespace iec
