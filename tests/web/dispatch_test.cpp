// Which paths give which answer: pages, static files of web/, the configuration files, and what is not found.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_web_data.h"
#include "temp_folder.h"
#include "web/web_dispatch.h"
#include "web/web_request.h"

namespace iec {
namespace {

using test::FakeWebData;
using test::TempFolder;

class Dispatch : public ::testing::Test {
protected:
    Dispatch() {
        data.folder = folder.path();
        data.AddStation("KP1");
        data.AddSignal(1, stTIT, "U1", 1).real = 5;
        data.AddSignal(1, stTS, "Q1", 2);
    }

    WebDispatchResult Get(std::string_view path, std::string_view query = "") {
        return Web_Dispatch(data, path, query);
    }
    WebResponse Answer(std::string_view path, std::string_view query = "") {
        return IdHTTPServer1CommandGet(data, path, query, "");
    }

    TempFolder folder;
    FakeWebData data;
};

bool Has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TEST_F(Dispatch, RootAndTitekAreTheMeasuredValuePage) {
    for (const char* path : {"/", "/titek.php"}) {
        const WebDispatchResult r = Get(path);
        EXPECT_EQ(r.ContentType, "text/html") << path;
        EXPECT_EQ(r.CacheControl, "no-cache") << path;
        EXPECT_TRUE(r.File.empty());
        EXPECT_TRUE(r.Body.starts_with("<!DOCTYPE html>\r\n<html lang=\"ru\">\r\n<head>\r\n"
                                       "<title>Текущие телеизмерения. Web-интерфейс ОРС-сервера.</title>\r\n"));
        EXPECT_TRUE(Has(r.Body, "<li><a href=\"titek.php\" class=\"current\">Телеизмерения</a></li>\r\n"));
        EXPECT_TRUE(Has(r.Body, "<td>U1</td>"));
        EXPECT_FALSE(Has(r.Body, "<td>Q1</td>"));
        EXPECT_TRUE(r.Body.ends_with("</footer>\r\n</body>\r\n</html>\r\n"));
    }
}

TEST_F(Dispatch, StatusPageTakesTheQuery) {
    const WebDispatchResult r = Get("/tstek.php", "p_ti=KP1");
    EXPECT_EQ(r.CacheControl, "no-cache");
    EXPECT_TRUE(Has(r.Body, "<FORM ACTION=tstek.php METHOD=GET>\r\n"));
    EXPECT_TRUE(Has(r.Body, "<OPTION selected value = KP1>KP1\r\n"));
    EXPECT_TRUE(Has(r.Body, "<td>Q1</td>"));
    EXPECT_FALSE(Has(r.Body, "<td>U1</td>"));
}

TEST_F(Dispatch, EmptyPagesAreHeadAndFooterOnly) {
    for (const char* path : {"/reg.php", "/arch.php"}) {
        const WebDispatchResult r = Get(path);
        EXPECT_EQ(r.CacheControl, "no-cache");
        EXPECT_TRUE(Has(r.Body, "<section id=\"content\">\r\n</div>\r\n</section>\r\n</section>\r\n<!-- footer -->"))
            << path;
    }
}

TEST_F(Dispatch, ConfigPageHasNoTitleAndTakesNoQuery) {
    const WebDispatchResult r = Get("/config.php", "p_ti=nothing");
    EXPECT_EQ(r.CacheControl, "no-cache");
    EXPECT_FALSE(Has(r.Body, "<title>"));
    EXPECT_TRUE(Has(r.Body, "<td>KP1</td>"));
    EXPECT_TRUE(Has(r.Body, "<li><a href=\"config.php\" class=\"current\">Конфигурация</a></li>"));
}

TEST_F(Dispatch, UnknownPagesAreNotFound) {
    for (const char* path : {"/alarm.php", "/TITEK.PHP", "/titek.php/", "/index.php", "", "/css", "/web"}) {
        EXPECT_FALSE(Get(path).Found()) << path;
        EXPECT_EQ(Answer(path).Status, 404) << path;
    }
}

TEST_F(Dispatch, SaveSwitchesTheLogsAndIsNotFound) {
    EXPECT_EQ(Answer("/savef.php").Status, 404);
    EXPECT_EQ(data.save_obmen, 1);
    EXPECT_EQ(Answer("/nosavef.php").Status, 404);
    EXPECT_EQ(data.save_obmen, 0);
    Answer("/savef.php", "x=1");
    EXPECT_EQ(data.save_obmen, 1);
    data.save_obmen = -1;
    Answer("/savef.php/");
    Answer("/SAVEF.php");
    EXPECT_EQ(data.save_obmen, -1);
}

TEST_F(Dispatch, StaticTextFilesByType) {
    folder.Write("web/css/style.css", "body { color: #000; }\n/* two */");
    folder.Write("web/help.html", "\xEF\xBB\xBF<p>Помощь</p>\r\n");
    folder.Write("web/js/html5.js", "var a;\r");
    folder.Write("web/data.json", "{}");
    folder.Write("web/notes.txt", "text");
    folder.Write("web/x.css.txt", "text");

    WebDispatchResult css = Get("/css/style.css");
    EXPECT_EQ(css.ContentType, "text/css");
    EXPECT_EQ(css.CacheControl, "");
    EXPECT_EQ(css.Body, "body { color: #000; }\r\n/* two */\r\n");

    const WebResponse help = Answer("/help.html");
    EXPECT_EQ(help.Status, 200);
    EXPECT_EQ(help.ContentType, "text/html; charset=windows-1251");
    EXPECT_EQ(help.CacheControl, "");
    EXPECT_EQ(help.Body, "<p>\xCF\xEE\xEC\xEE\xF9\xFC</p>\r\n");  // Windows-1251, mark dropped

    const WebResponse js = Answer("/js/html5.js");
    EXPECT_EQ(js.ContentType, "application/x-javascript");
    EXPECT_EQ(js.Body, "var a;\r\n");
    EXPECT_EQ(Answer("/data.json").ContentType, "application/x-javascript");
    EXPECT_EQ(Answer("/notes.txt").Status, 404);
    // A plain substring test: the later type in the list wins, and ".css" anywhere makes a style sheet.
    EXPECT_EQ(Answer("/x.css.txt").ContentType, "text/css");
    EXPECT_EQ(Answer("/css/missing.css").Status, 404);
}

TEST_F(Dispatch, TextFilesInEveryEncoding) {
    folder.Write("web/cp.html", "\xCF\xF0\xE8\xE2\xE5\xF2");                                  // Windows-1251
    folder.Write("web/le.html", std::string("\xFF\xFE\x1F\x04\x40\x04\n\x00!\x00", 10));         // UTF-16LE
    folder.Write("web/be.html", std::string("\xFE\xFF\x04\x1F\x04\x40\x00\n\xD8\x3D\xDE\x00", 12));  // UTF-16BE
    EXPECT_EQ(Get("/cp.html").Body, "Привет\r\n");
    EXPECT_EQ(Get("/le.html").Body, "Пр\r\n!\r\n");
    EXPECT_EQ(Get("/be.html").Body, "Пр\r\n\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(Answer("/be.html").Body, "\xCF\xF0\r\n?\r\n");  // what Windows-1251 cannot hold
}

TEST_F(Dispatch, PicturesByteForByte) {
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0", 11);
    folder.Write("web/img/logo.png", png);
    folder.Write("web/a.jpg", "J\r\nPG");
    folder.Write("web/b.gif", "GIF89a");
    const WebDispatchResult r = Get("/img/logo.png");
    EXPECT_EQ(r.ContentType, "image/png");
    EXPECT_EQ(r.File, std::filesystem::canonical(folder.path() / "web/img/logo.png"));
    const WebResponse a = Answer("/img/logo.png");
    EXPECT_EQ(a.Body, png);
    EXPECT_EQ(a.ContentType, "image/png");
    EXPECT_EQ(a.CacheControl, "");
    EXPECT_EQ(Answer("/a.jpg").ContentType, "image/jpeg");
    EXPECT_EQ(Answer("/a.jpg").Body, "J\r\nPG");
    EXPECT_EQ(Answer("/b.gif").ContentType, "image/gif");
}

TEST_F(Dispatch, AboutPageFromTheWebFolderWithNoCache) {
    EXPECT_EQ(Answer("/index-7.html").Status, 404);
    folder.Write("web/index-7.html", "\xEF\xBB\xBF<p>О программе</p>");
    folder.Write("index-7.html", "<p>wrong folder</p>");
    const WebResponse r = Answer("/index-7.html");
    EXPECT_EQ(r.Status, 200);
    EXPECT_EQ(r.CacheControl, "no-cache");
    EXPECT_EQ(r.ContentType, "text/html; charset=windows-1251");
    EXPECT_EQ(r.Body, "<p>\xCE \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE5</p>\r\n");
}

TEST_F(Dispatch, ConfigurationFilesFromTheProgramFolder) {
    const std::string cfg("KP;1\r\n\xCF\xD1\0end", 12);
    folder.Write("iec101.cfg", cfg);
    folder.Write("iec101kp.cfg", "kp");
    folder.Write("test.cfg", "test");
    folder.Write("cnf.ini", "[UseWebServer]\r\nUseWebServer=1\r\n");
    folder.Write("web/iec101.cfg", "the copy in web/ is not the configuration");
    folder.Write("web/cnf.ini", "web copy");

    const WebDispatchResult d = Get("/iec101.cfg");
    EXPECT_TRUE(d.ConfigFile);
    EXPECT_EQ(d.ContentType, "application/octet-stream");
    EXPECT_EQ(d.CacheControl, "");
    const WebResponse r = Answer("/iec101.cfg");
    EXPECT_EQ(r.Status, 200);
    EXPECT_EQ(r.ContentType, "application/octet-stream");
    EXPECT_EQ(r.Body, cfg);
    EXPECT_EQ(Answer("/iec101kp.cfg").Body, "kp");
    EXPECT_EQ(Answer("/test.cfg").Body, "test");
    EXPECT_EQ(Answer("/cnf.ini").Body, "[UseWebServer]\r\nUseWebServer=1\r\n");
    // The path names a file of the program folder, a subfolder included.
    EXPECT_EQ(Answer("/web/cnf.ini").Body, "web copy");
    EXPECT_EQ(Answer("//cnf.ini").Body, "[UseWebServer]\r\nUseWebServer=1\r\n");
}

TEST_F(Dispatch, MissingConfigurationFileIsNotFound) {
    const WebDispatchResult d = Get("/iec101.cfg");
    EXPECT_TRUE(d.ConfigFile);
    EXPECT_FALSE(d.Found());
    EXPECT_EQ(Answer("/iec101.cfg").Status, 404);
    EXPECT_EQ(Answer("/sub/test.cfg").Status, 404);
}

TEST_F(Dispatch, OnlyTheFourNamesAreConfigurationFiles) {
    folder.Write("cnf.ini.bak", "old");
    folder.Write("xcnf.ini", "x");
    folder.Write("iec101.cfg.css", "x");
    folder.Write("web/iec101.cfg.css", "x");
    for (const char* path : {"/cnf.ini.bak", "/xcnf.ini", "/iec101.cfg.css", "/CNF.INI"}) {
        EXPECT_EQ(Answer(path).Status, 404) << path;
    }
    EXPECT_TRUE(IsConfigFileName("iec101kp.cfg"));
    EXPECT_FALSE(IsConfigFileName("iec101kp.cfg "));
}

}  // namespace
}  // namespace iec
