#include "http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace iec::test {

HttpConnection::HttpConnection(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return;
    timeval tv{};
    tv.tv_sec = 10;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

HttpConnection::~HttpConnection() {
    if (fd_ >= 0) ::close(fd_);
}

bool HttpConnection::Send(std::string_view octets) {
    while (!octets.empty()) {
        const ssize_t n = ::send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        octets.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool HttpConnection::Fill() {
    char chunk[4096];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(n));
    return true;
}

std::optional<HttpAnswer> HttpConnection::Receive(bool head) {
    if (fd_ < 0) return std::nullopt;
    size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill()) return std::nullopt;
    }
    HttpAnswer a;
    const std::string header = buffer_.substr(0, end);
    buffer_.erase(0, end + 4);
    size_t pos = header.find("\r\n");
    a.status_line = header.substr(0, pos);
    if (a.status_line.size() < 12 || !a.status_line.starts_with("HTTP/1.")) return std::nullopt;
    a.status = std::stoi(a.status_line.substr(9, 3));
    while (pos != std::string::npos) {
        const size_t start = pos + 2;
        pos = header.find("\r\n", start);
        const std::string line = header.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
        const size_t colon = line.find(':');
        if (colon == std::string::npos) return std::nullopt;
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        a.headers[name] = value;
    }
    if (head) return a;
    const std::string length = a.Header("content-length");
    if (length.empty()) return std::nullopt;
    const size_t n = std::stoul(length);
    while (buffer_.size() < n) {
        if (!Fill()) return std::nullopt;
    }
    a.body = buffer_.substr(0, n);
    buffer_.erase(0, n);
    return a;
}

bool HttpConnection::ClosedByServer() {
    char c;
    return buffer_.empty() && ::recv(fd_, &c, 1, 0) == 0;
}

std::optional<HttpAnswer> HttpExchange(uint16_t port, std::string_view request, bool head) {
    HttpConnection c(port);
    if (!c.Connected() || !c.Send(request)) return std::nullopt;
    return c.Receive(head);
}

}  // namespace iec::test
