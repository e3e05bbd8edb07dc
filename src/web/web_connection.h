// One accepted HTTP connection (internal to the server): reads requests one after the other, answers each,
// keeps the connection while the client asks for it. Every operation of a connection runs on its own strand.
#pragma once

#include <utility>  // g++ 12 in C++20 mode: Boost 1.74's asio needs it before its own headers

#include <array>
#include <atomic>
#include <memory>
#include <optional>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "web/web_data.h"
#include "web/web_request.h"
#include "web/web_server.h"

namespace iec {

// What every connection of one server shares; lives until the server's threads are joined and its
// connections destroyed.
struct WebServerShared {
    WebDataSource& data;
    WebServerLimits limits;
    std::atomic<int> connections{0};
};

class WebConnection : public std::enable_shared_from_this<WebConnection> {
public:
    WebConnection(boost::asio::ip::tcp::socket socket, WebServerShared& shared);
    ~WebConnection();

    void Run();

private:
    void ReadRequest();
    void OnRead(boost::beast::error_code ec);
    void Answer(WebResponse response, bool keep_alive, bool head);
    void OnWrite(bool close, boost::beast::error_code ec);
    void Close();
    void Drain();

    boost::beast::tcp_stream stream_;
    boost::beast::flat_buffer buffer_;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
    boost::beast::http::response<boost::beast::http::string_body> response_;
    std::array<char, 1024> drain_{};
    WebServerShared& shared_;
};

}  // namespace iec
