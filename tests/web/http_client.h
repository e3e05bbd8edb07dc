// A plain-socket HTTP client for the server tests: sends octets exactly as given (well-formed or not) and
// reads what comes back. Every read has a time-out so that a fault fails the test instead of hanging it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace iec::test {

struct HttpAnswer {
    int status = 0;
    std::string status_line;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string Header(const std::string& lower_name) const {
        const auto it = headers.find(lower_name);
        return it == headers.end() ? std::string() : it->second;
    }
    bool Has(const std::string& lower_name) const { return headers.count(lower_name) != 0; }
};

class HttpConnection {
public:
    explicit HttpConnection(uint16_t port);  // 127.0.0.1
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool Send(std::string_view octets);
    // One answer; bodyless when head is true (the answer to HEAD). Nothing on a time-out, a closed connection or
    // an answer that cannot be parsed.
    std::optional<HttpAnswer> Receive(bool head = false);
    // True when the server closes the connection (end of stream) before the time-out.
    bool ClosedByServer();

private:
    bool Fill();  // reads more octets into buffer_; false at the end or on a time-out

    int fd_ = -1;
    std::string buffer_;
};

// One request on a new connection, one answer.
std::optional<HttpAnswer> HttpExchange(uint16_t port, std::string_view request, bool head = false);

}  // namespace iec::test
