// Nothing outside web/ is served, the configuration files only from the program folder, and only with the
// transfer password when one is set.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_web_data.h"
#include "temp_folder.h"
#include "web/web_dispatch.h"
#include "web/web_files.h"
#include "web/web_request.h"

namespace iec {
namespace {

namespace fs = std::filesystem;
using test::FakeWebData;
using test::TempFolder;

// A program folder inside an outer folder that holds files nobody may read through the server.
class Security : public ::testing::Test {
protected:
    Security() {
        outer.Write("secret.css", "outside");
        outer.Write("cnf.ini", "outside config");
        outer.Write("prog/web/css/style.css", "inside");
        outer.Write("prog/iec101.cfg", "config");
        outer.Write("prog/Thread1.txt", "exchange log");
        outer.Write("prog/private.css", "beside web");
        data.folder = outer.path() / "prog";
    }

    // The whole road of a request target: split, decoded, dispatched.
    WebResponse Request(std::string_view target, std::string_view authorization = "") {
        const std::optional<WebRequestTarget> t = ParseRequestTarget(target);
        if (!t) return WebErrorResponse(400);
        return IdHTTPServer1CommandGet(data, t->Path, t->Query, authorization);
    }

    TempFolder outer;
    FakeWebData data;
};

TEST_F(Security, InsideIsServed) {
    EXPECT_EQ(Request("/css/style.css").Body, "inside\r\n");
    EXPECT_EQ(Request("/css//style.css").Body, "inside\r\n");
    EXPECT_EQ(Request("/%63ss/style.css").Body, "inside\r\n");
    EXPECT_EQ(Request("/iec101.cfg").Body, "config");
}

TEST_F(Security, TraversalIsRefused) {
    for (const char* target :
         {"/../private.css", "/../../secret.css", "/css/../../private.css", "/%2e%2e/private.css",
          "/%2E%2E/%2E%2E/secret.css", "/css/%2e%2e%2f%2e%2e%2fprivate.css", "/..%2fprivate.css",
          "/..%5cprivate.css", "/css/..\\..\\private.css", "/../cnf.ini", "/%2e%2e/cnf.ini", "/web/../../cnf.ini",
          "/./css/style.css", "/css./style.css", "/css/style.css.", "/css/style.css%20", "/css/style.css%00.png",
          "/c:/secret.css", "/../Thread1.txt", "/../prog/web/css/style.css"}) {
        const WebResponse r = Request(target);
        EXPECT_TRUE(r.Status == 404 || r.Status == 400) << target << " gave " << r.Status;
        EXPECT_NE(r.Body, "outside") << target;
        EXPECT_NE(r.Body, "outside config") << target;
        EXPECT_NE(r.Body, "beside web") << target;
    }
}

TEST_F(Security, AbsolutePathsStayInTheFolder) {
    const std::string absolute = (outer.path() / "secret.css").string();
    EXPECT_EQ(Request("/" + absolute).Status, 404);
    EXPECT_EQ(Request("//" + absolute).Status, 404);
    EXPECT_EQ(Web_Dispatch(data, absolute, "").Found(), false);
    EXPECT_EQ(Web_Dispatch(data, "//etc/passwd.css", "").Found(), false);
}

TEST_F(Security, LinksOutOfTheFolderAreRefused) {
    fs::create_symlink(outer.path() / "secret.css", data.folder / "web" / "link.css");
    fs::create_directory_symlink(outer.path(), data.folder / "web" / "up");
    fs::create_symlink(outer.path() / "cnf.ini", data.folder / "cnf.ini");
    fs::create_directory_symlink(outer.path(), data.folder / "out");
    EXPECT_EQ(Request("/link.css").Status, 404);
    EXPECT_EQ(Request("/up/secret.css").Status, 404);
    // What counts is where the file really is: this one is in web/ after all.
    EXPECT_EQ(Request("/up/prog/web/css/style.css").Body, "inside\r\n");
    EXPECT_EQ(Request("/cnf.ini").Status, 404);
    EXPECT_EQ(Request("/out/cnf.ini").Status, 404);
}

TEST_F(Security, LinksInsideTheFolderAreFollowed) {
    fs::create_symlink(data.folder / "web" / "css" / "style.css", data.folder / "web" / "alias.css");
    EXPECT_EQ(Request("/alias.css").Body, "inside\r\n");
    // A link from web/ to the program folder leads out of web/.
    fs::create_symlink(data.folder / "private.css", data.folder / "web" / "private.css");
    EXPECT_EQ(Request("/private.css").Status, 404);
}

TEST_F(Security, OddTargetsAreBadRequests) {
    for (const char* target : {"", "css/style.css", "*", "/%", "/%2", "/%zz", "http://host?x"}) {
        EXPECT_FALSE(ParseRequestTarget(target).has_value()) << target;
    }
    const auto absolute = ParseRequestTarget("HTTP://host:8080/css/st%79le.css?p_ti=%CF%D1");
    ASSERT_TRUE(absolute.has_value());
    EXPECT_EQ(absolute->Path, "/css/style.css");
    EXPECT_EQ(absolute->Query, "p_ti=%CF%D1");
    EXPECT_EQ(ParseRequestTarget("http://host")->Path, "/");
    EXPECT_EQ(ParseRequestTarget("/a+b?c+d")->Path, "/a+b");
    EXPECT_EQ(ParseRequestTarget("/a?b?c")->Query, "b?c");
}

// Basic credentials of the transfer client: an empty user name and the password.
std::string Basic(std::string_view user_and_password) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out = "Basic ";
    uint32_t acc = 0;
    int bits = 0;
    for (const char c : user_and_password) {
        acc = (acc << 8) | static_cast<unsigned char>(c);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += alphabet[(acc >> bits) & 63];
        }
    }
    if (bits > 0) out += alphabet[(acc << (6 - bits)) & 63];
    while ((out.size() - 6) % 4 != 0) out += '=';
    return out;
}

TEST_F(Security, PasswordGuardsTheConfigurationFiles) {
    data.password = "s3cret";
    outer.Write("prog/cnf.ini", "[pwd]\r\npwd=s3cret\r\n");
    for (const char* file : {"/iec101.cfg", "/cnf.ini", "/test.cfg", "/iec101kp.cfg", "/web/cnf.ini"}) {
        const WebResponse r = Request(file);
        EXPECT_EQ(r.Status, 401) << file;
        EXPECT_EQ(r.WwwAuthenticate, "Basic realm=\"configuration\"") << file;
        EXPECT_EQ(r.Body.find("config"), std::string::npos);
    }
    EXPECT_EQ(Request("/iec101.cfg", Basic(":s3cret")).Body, "config");
    EXPECT_EQ(Request("/iec101.cfg", "basic   " + Basic(":s3cret").substr(6) + " ").Body, "config");
    EXPECT_EQ(Request("/cnf.ini", Basic(":s3cret")).Body, "[pwd]\r\npwd=s3cret\r\n");
    // A missing file is told only to an authorised client.
    EXPECT_EQ(Request("/test.cfg", Basic(":s3cret")).Status, 404);
    for (const std::string& wrong :
         {Basic(":s3cre"), Basic(":s3cret "), Basic("admin:s3cret"), Basic("s3cret"), Basic(""), Basic(":"),
          std::string("Bearer s3cret"), std::string("Basic"), std::string("Basic !!!!"),
          std::string("Basic OnMzY3JldA=x"), std::string("Basics ") + Basic(":s3cret").substr(6)}) {
        EXPECT_EQ(Request("/iec101.cfg", wrong).Status, 401) << wrong;
    }
    // Pages and static files need no password.
    EXPECT_EQ(Request("/css/style.css").Status, 200);
    EXPECT_EQ(Request("/titek.php").Status, 200);
}

TEST_F(Security, CyrillicPasswordInEitherEncoding) {
    data.password = "пароль";
    EXPECT_EQ(Request("/iec101.cfg", Basic(":пароль")).Status, 200);
    EXPECT_EQ(Request("/iec101.cfg", Basic(":\xEF\xE0\xF0\xEE\xEB\xFC")).Status, 200);
    EXPECT_EQ(Request("/iec101.cfg", Basic(":парол")).Status, 401);
}

TEST_F(Security, WithoutPasswordServedAsWritten) {
    EXPECT_EQ(Request("/iec101.cfg").Body, "config");
    EXPECT_EQ(Request("/iec101.cfg", Basic(":anything")).Body, "config");
}

TEST(Base64, DecodesWithAndWithoutPadding) {
    EXPECT_EQ(Base64Decode("OnMzY3JldA=="), ":s3cret");
    EXPECT_EQ(Base64Decode("OnMzY3JldA"), ":s3cret");
    EXPECT_EQ(Base64Decode(""), "");
    EXPECT_EQ(Base64Decode("+/+/"), "\xFB\xFF\xBF");
    EXPECT_FALSE(Base64Decode("A").has_value());
    EXPECT_FALSE(Base64Decode("AA=A").has_value());
    EXPECT_FALSE(Base64Decode("A A=").has_value());
}

TEST(RequestPath, SegmentsOnly) {
    EXPECT_EQ(RelativeRequestPath("/a//b/c.css"), fs::path("a/b/c.css"));
    EXPECT_FALSE(RelativeRequestPath("/").has_value());
    EXPECT_FALSE(RelativeRequestPath("/a/../b").has_value());
    EXPECT_FALSE(RelativeRequestPath("/a/b:c").has_value());
    EXPECT_FALSE(RelativeRequestPath(std::string_view("/a\0b", 4)).has_value());
}

}  // namespace
}  // namespace iec
