// The server on a real loopback socket: answers, keep-alive, HEAD and POST, malformed requests, the password,
// several clients at once, a busy port, and a stop with connections open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "fake_web_data.h"
#include "http_client.h"
#include "temp_folder.h"
#include "web/web_server.h"

namespace iec {
namespace {

using test::FakeWebData;
using test::HttpAnswer;
using test::HttpConnection;
using test::HttpExchange;
using test::TempFolder;

// "Текущие телеизмерения" in Windows-1251.
const std::string kTitleCp1251 = "\xD2\xE5\xEA\xF3\xF9\xE8\xE5 \xF2\xE5\xEB\xE5\xE8\xE7\xEC\xE5\xF0\xE5\xED\xE8\xFF";

std::string Get(std::string_view target, std::string_view extra = "") {
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: localhost\r\n" + std::string(extra) +
           "Connection: close\r\n\r\n";
}

class Server : public ::testing::Test {
protected:
    Server() {
        data.folder = folder.path();
        data.AddStation("KP1");
        data.AddSignal(1, stTIT, "U1", 1).real = 10.5;
        folder.Write("web/css/style.css", "body{}");
        folder.Write("iec101.cfg", "config");
    }

    void Start(WebServerLimits limits = {}) {
        server = std::make_unique<WebServer>(data, limits);
        ASSERT_EQ(server->Start(0), "");
        ASSERT_TRUE(server->Running());
        port = server->Port();
        ASSERT_NE(port, 0);
    }

    // Fails the test unless the server still answers a plain request.
    void ExpectStillServing() {
        const std::optional<HttpAnswer> a = HttpExchange(port, Get("/css/style.css"));
        ASSERT_TRUE(a.has_value());
        EXPECT_EQ(a->status, 200);
        EXPECT_EQ(a->body, "body{}\r\n");
    }

    TempFolder folder;
    FakeWebData data;
    std::unique_ptr<WebServer> server;
    uint16_t port = 0;
};

TEST_F(Server, AnswersPagesFilesAndNotFound) {
    Start();
    const std::optional<HttpAnswer> page = HttpExchange(port, Get("/titek.php?p_ti=all"));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->Header("content-type"), "text/html; charset=windows-1251");
    EXPECT_EQ(page->Header("cache-control"), "no-cache");
    EXPECT_NE(page->body.find("<title>" + kTitleCp1251 + ". Web-"), std::string::npos);
    EXPECT_NE(page->body.find("<td>U1</td><td>1</td><td>1</td><td>10.5</td>"), std::string::npos);

    const std::optional<HttpAnswer> css = HttpExchange(port, Get("/css/style.css"));
    ASSERT_TRUE(css.has_value());
    EXPECT_EQ(css->Header("content-type"), "text/css");
    EXPECT_FALSE(css->Has("cache-control"));

    const std::optional<HttpAnswer> cfg = HttpExchange(port, Get("/iec101.cfg"));
    ASSERT_TRUE(cfg.has_value());
    EXPECT_EQ(cfg->Header("content-type"), "application/octet-stream");
    EXPECT_EQ(cfg->body, "config");

    const std::optional<HttpAnswer> missing = HttpExchange(port, Get("/alarm.php"));
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->status, 404);

    const std::optional<HttpAnswer> out = HttpExchange(port, Get("/%2e%2e/iec101.cfg"));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->status, 404);
}

TEST_F(Server, KeepAliveAndPipelinedRequests) {
    Start();
    HttpConnection c(port);
    ASSERT_TRUE(c.Connected());
    ASSERT_TRUE(c.Send("GET /css/style.css HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto first = c.Receive();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->status, 200);
    ASSERT_TRUE(c.Send("GET /config.php HTTP/1.1\r\nHost: x\r\n\r\nGET /nothing.css HTTP/1.1\r\nHost: x\r\n"
                       "Connection: close\r\n\r\n"));
    const auto second = c.Receive();
    const auto third = c.Receive();
    ASSERT_TRUE(second.has_value());
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(second->status, 200);
    EXPECT_NE(second->body.find("<td>KP1</td>"), std::string::npos);
    EXPECT_EQ(third->status, 404);
    EXPECT_TRUE(c.ClosedByServer());
}

TEST_F(Server, HeadAndPostGetTheSameAnswer) {
    Start();
    const auto get = HttpExchange(port, Get("/config.php"));
    const auto head = HttpExchange(port, "HEAD /config.php HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true);
    const auto post = HttpExchange(port,
                                   "POST /iec101.cfg HTTP/1.1\r\nHost: x\r\nContent-Type: text/html\r\n"
                                   "Content-Length: 11\r\nConnection: close\r\n\r\nnew content");
    ASSERT_TRUE(get && head && post);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->Header("content-length"), std::to_string(get->body.size()));
    EXPECT_EQ(head->Header("cache-control"), "no-cache");
    EXPECT_EQ(post->status, 200);
    EXPECT_EQ(post->body, "config");  // uploads are not stored
}

TEST_F(Server, MalformedRequestsGet400AndOthersGoOn) {
    Start();
    HttpConnection idle(port);  // a client that says nothing must not block the others
    ASSERT_TRUE(idle.Connected());
    for (const char* bad : {"GARBAGE\r\n\r\n", "GET /titek.php HTTP/9.9\r\n\r\n",
                            "GET /titek.php HTTP/1.1\r\nHost: x\r\nNo colon here\r\n\r\n",
                            "GET css/style.css HTTP/1.1\r\nHost: x\r\n\r\n", "GET /%zz HTTP/1.1\r\nHost: x\r\n\r\n",
                            "GET /x HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
                            "GET\x01 / HTTP/1.1\r\n\r\n"}) {
        HttpConnection c(port);
        ASSERT_TRUE(c.Send(bad)) << bad;
        const auto a = c.Receive();
        ASSERT_TRUE(a.has_value()) << bad;
        EXPECT_EQ(a->status, 400) << bad;
        EXPECT_TRUE(c.ClosedByServer()) << bad;
        ExpectStillServing();
    }
    // A client that leaves in the middle of a request.
    {
        HttpConnection c(port);
        ASSERT_TRUE(c.Send("GET /titek.php HTTP/1.1\r\nHo"));
    }
    ExpectStillServing();
}

TEST_F(Server, OversizedRequestsAreRefused) {
    WebServerLimits limits;
    limits.header_limit = 1024;
    limits.body_limit = 16;
    Start(limits);
    const auto header = HttpExchange(port, Get("/titek.php", "X-Long: " + std::string(2000, 'a') + "\r\n"));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->status, 400);
    const auto body = HttpExchange(port, "POST /cnf.ini HTTP/1.1\r\nHost: x\r\nContent-Length: 17\r\n\r\n" +
                                             std::string(17, 'b'));
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->status, 413);
    ExpectStillServing();
}

TEST_F(Server, PasswordOverTheWire) {
    data.password = "s3cret";
    Start();
    const auto refused = HttpExchange(port, Get("/iec101.cfg"));
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->status, 401);
    EXPECT_EQ(refused->Header("www-authenticate"), "Basic realm=\"configuration\"");
    // base64(":s3cret")
    const auto allowed = HttpExchange(port, Get("/iec101.cfg", "Authorization: Basic OnMzY3JldA==\r\n"));
    ASSERT_TRUE(allowed.has_value());
    EXPECT_EQ(allowed->status, 200);
    EXPECT_EQ(allowed->body, "config");
}

TEST_F(Server, ManyClientsAtOnce) {
    for (int i = 0; i < 300; ++i) data.AddSignal(1, stTIT, "V" + std::to_string(i), i).real = i;
    Start();
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int t = 0; t < 6; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) {
                const auto a = HttpExchange(port, Get(t % 2 ? "/titek.php" : "/savef.php"));
                if (a && (a->status == 200 || a->status == 404)) ++good;
            }
        });
    }
    for (std::thread& c : clients) c.join();
    EXPECT_EQ(good.load(), 60);
    EXPECT_EQ(data.save_obmen.load(), 1);
}

TEST_F(Server, BusyPortIsReportedAndNothingElseHappens) {
    Start();
    WebServer second(data);
    const std::string error = second.Start(port);
    EXPECT_NE(error, "");
    EXPECT_FALSE(second.Running());
    EXPECT_EQ(second.Port(), 0);
    second.Stop();
    EXPECT_NE(second.Start(65536), "");
    EXPECT_NE(second.Start(-1), "");
    EXPECT_FALSE(second.Running());
    ExpectStillServing();
}

TEST_F(Server, StopClosesOpenConnectionsAndCanStartAgain) {
    Start();
    HttpConnection idle(port);
    HttpConnection half(port);
    ASSERT_TRUE(idle.Connected());
    ASSERT_TRUE(half.Send("GET /titek.php HTTP/1.1\r\n"));
    // The server has taken both connections once it answers a third.
    ExpectStillServing();
    server->Stop();
    EXPECT_FALSE(server->Running());
    EXPECT_EQ(server->Port(), 0);
    EXPECT_TRUE(idle.ClosedByServer());
    EXPECT_TRUE(half.ClosedByServer());
    EXPECT_FALSE(HttpConnection(port).Connected());
    server->Stop();  // twice is harmless

    ASSERT_EQ(server->Start(port), "");  // the same port again at once
    EXPECT_EQ(server->Port(), port);
    ExpectStillServing();
}

}  // namespace
}  // namespace iec
