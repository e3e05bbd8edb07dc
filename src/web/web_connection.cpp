#include "web/web_connection.h"

#include <exception>

#include <boost/asio/dispatch.hpp>

namespace iec {

namespace beast = boost::beast;
namespace http = beast::http;

namespace {

// Errors of the request parser (as opposed to the connection ending or timing out).
std::string_view View(beast::string_view s) { return std::string_view(s.data(), s.size()); }

bool IsMalformed(beast::error_code ec) {
    return ec.category() == http::make_error_code(http::error::bad_target).category() &&
           ec != http::error::end_of_stream && ec != http::error::partial_message;
}

}  // namespace

WebConnection::WebConnection(boost::asio::ip::tcp::socket socket, WebServerShared& shared)
    : stream_(std::move(socket)), shared_(shared) {
    shared_.connections.fetch_add(1);
}

WebConnection::~WebConnection() { shared_.connections.fetch_sub(1); }

void WebConnection::Run() {
    boost::asio::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->ReadRequest(); });
}

void WebConnection::ReadRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(shared_.limits.header_limit));
    parser_->body_limit(shared_.limits.body_limit);
    stream_.expires_after(shared_.limits.idle);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
}

void WebConnection::OnRead(beast::error_code ec) {
    if (ec) {
        if (ec == http::error::body_limit) {
            Answer(WebErrorResponse(413), false, false);
        } else if (IsMalformed(ec)) {
            Answer(WebErrorResponse(400), false, false);
        } else {
            Close();
        }
        return;
    }
    const http::request<http::string_body>& request = parser_->get();
    const bool head = request.method() == http::verb::head;
    const std::optional<WebRequestTarget> target = ParseRequestTarget(View(request.target()));
    if (!target) {
        Answer(WebErrorResponse(400), false, head);
        return;
    }
    WebResponse response;
    try {
        response = IdHTTPServer1CommandGet(shared_.data, target->Path, target->Query,
                                           View(request[http::field::authorization]));
    } catch (const std::exception&) {
        // A page that cannot be built (out of memory) fails this request only.
        response = WebErrorResponse(500);
    }
    Answer(std::move(response), request.keep_alive(), head);
}

void WebConnection::Answer(WebResponse response, bool keep_alive, bool head) {
    const unsigned version = parser_ && parser_->is_header_done() ? parser_->get().version() : 11;
    response_ = {};
    response_.version(version);
    response_.result(static_cast<unsigned>(response.Status));
    response_.set(http::field::content_type, response.ContentType);
    if (!response.CacheControl.empty()) response_.set(http::field::cache_control, response.CacheControl);
    if (!response.WwwAuthenticate.empty()) response_.set(http::field::www_authenticate, response.WwwAuthenticate);
    response_.body() = std::move(response.Body);
    response_.keep_alive(keep_alive);
    response_.prepare_payload();
    // HEAD: the same header (Content-Length of the full answer), no body.
    if (head) response_.body().clear();
    stream_.expires_after(shared_.limits.idle);
    http::async_write(stream_, response_,
                      [self = shared_from_this(), close = !keep_alive](beast::error_code ec, std::size_t) {
                          self->OnWrite(close, ec);
                      });
}

void WebConnection::OnWrite(bool close, beast::error_code ec) {
    if (ec || close) {
        Close();
        return;
    }
    ReadRequest();
}

void WebConnection::Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_send, ignored);
    // Closing with unread octets would reset the connection and could destroy the answer still on its way
    // (a 400 to a client that sent more): read until the client closes, briefly.
    stream_.expires_after(std::chrono::seconds(2));
    Drain();
}

void WebConnection::Drain() {
    stream_.async_read_some(boost::asio::buffer(drain_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) {
            beast::error_code ignored;
            self->stream_.socket().close(ignored);
            return;
        }
        self->Drain();
    });
}

}  // namespace iec
