#include "web/web_server.h"

#include <utility>  // g++ 12 in C++20 mode: Boost 1.74's asio needs it before its own headers

#include <exception>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/strand.hpp>

#include "web/web_connection.h"

namespace iec {

namespace net = boost::asio;
using tcp = net::ip::tcp;

struct WebServer::Impl {
    Impl(WebDataSource& data, const WebServerLimits& limits) : shared{data, limits} {}

    std::string Listen(uint16_t port);
    void Accept();
    void RetryAcceptLater();

    WebServerShared shared;
    net::io_context ioc;
    tcp::acceptor acceptor{ioc};
    net::steady_timer retry{ioc};
    std::vector<std::thread> threads;
    uint16_t port = 0;
};

namespace {

// Opens, binds and listens on one endpoint; the error code tells the first failing step.
boost::system::error_code ListenOn(tcp::acceptor& acceptor, const tcp::endpoint& endpoint) {
    boost::system::error_code ec;
    acceptor.open(endpoint.protocol(), ec);
    if (ec) return ec;
    if (endpoint.protocol() == tcp::v6()) acceptor.set_option(net::ip::v6_only(false), ec);
#ifndef _WIN32
    // Lets a restarted server take its port back while old connections linger; on Windows the same option
    // would let two servers share a port.
    acceptor.set_option(net::socket_base::reuse_address(true), ec);
#endif
    acceptor.bind(endpoint, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        boost::system::error_code ignored;
        acceptor.close(ignored);
    }
    return ec;
}

}  // namespace

std::string WebServer::Impl::Listen(uint16_t wanted) {
    // IPv6 with IPv4 mapped in covers every local address; a system without IPv6 gets IPv4 alone.
    boost::system::error_code ec = ListenOn(acceptor, tcp::endpoint(net::ip::address_v6::any(), wanted));
    if (ec && ec != net::error::address_in_use && ec != net::error::access_denied) {
        ec = ListenOn(acceptor, tcp::endpoint(net::ip::address_v4::any(), wanted));
    }
    if (ec) return "cannot listen on port " + std::to_string(wanted) + ": " + ec.message();
    port = acceptor.local_endpoint(ec).port();
    if (ec) return "cannot listen on port " + std::to_string(wanted) + ": " + ec.message();
    return {};
}

void WebServer::Impl::Accept() {
    acceptor.async_accept(net::make_strand(ioc), [this](boost::system::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted) return;
        if (ec) {
            // Out of descriptors and the like: try again shortly instead of spinning.
            RetryAcceptLater();
            return;
        }
        if (shared.connections.load() < shared.limits.max_connections) {
            std::make_shared<WebConnection>(std::move(socket), shared)->Run();
        }
        Accept();
    });
}

void WebServer::Impl::RetryAcceptLater() {
    retry.expires_after(std::chrono::milliseconds(100));
    retry.async_wait([this](boost::system::error_code ec) {
        if (!ec) Accept();
    });
}

WebServer::WebServer(WebDataSource& data, WebServerLimits limits) : data_(data), limits_(limits) {}

WebServer::~WebServer() { Stop(); }

std::string WebServer::Start(int port) {
    Stop();
    if (port < 0 || port > 65535) return "port " + std::to_string(port) + " is not a TCP port";
    auto impl = std::make_unique<Impl>(data_, limits_);
    std::string error;
    try {
        error = impl->Listen(static_cast<uint16_t>(port));
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty()) return error;
    impl->Accept();
    const int threads = limits_.threads > 0 ? limits_.threads : 1;
    Impl* raw = impl.get();
    try {
        for (int i = 0; i < threads; ++i) {
            raw->threads.emplace_back([raw] {
                // A handler that throws ends only its own request; the thread goes back to serving.
                for (;;) {
                    try {
                        raw->ioc.run();
                        return;
                    } catch (const std::exception&) {
                    }
                }
            });
        }
    } catch (const std::exception& e) {
        impl_ = std::move(impl);
        Stop();
        return std::string("cannot start the server threads: ") + e.what();
    }
    impl_ = std::move(impl);
    return {};
}

void WebServer::Stop() {
    if (!impl_) return;
    impl_->ioc.stop();
    for (std::thread& t : impl_->threads) t.join();
    // Destroying the context destroys the connections still waiting in it, and with them their sockets.
    impl_.reset();
}

bool WebServer::Running() const { return impl_ != nullptr; }

uint16_t WebServer::Port() const { return impl_ ? impl_->port : 0; }

}  // namespace iec
