// The serial and TCP transports against a real pseudo-terminal pair and a loopback socket.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/serial_port.h"
#include "platform/tcp_client.h"

namespace iec {
namespace {

TEST(SerialDevicePath, WindowsNamesOpenWhatWineMapsThemTo) {
    EXPECT_EQ(SerialDevicePath("\\\\.\\COM3"), "/dev/ttyS2");
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(SerialDevicePath("COM0"), "COM0");
    EXPECT_EQ(SerialDevicePath("COMX"), "COMX");
    EXPECT_EQ(SerialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDevicePath("/dev/pts/5"), "/dev/pts/5");
}

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) slave_ = ::ptsname(master_);
    }
    ~PtyPair() {
        if (master_ >= 0) ::close(master_);
    }
    void Send(const std::string& s) { ASSERT_EQ(::write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    std::string Receive() {
        char buf[256];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
    const std::string& slave() const { return slave_; }

private:
    int master_ = -1;
    std::string slave_;
};

TEST(SerialPort, ReadEndsOnSilenceAfterTheFirstOctet) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave().empty());
    SerialPort port;
    ASSERT_EQ(port.Open(pty.slave()), "");
    EXPECT_EQ(port.ApplyLine({9600, 'E'}), "");
    port.SetTimeouts({20, 2000});
    pty.Send("\x10\x09\x05\x0E\x16");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(), "\x10\x09\x05\x0E\x16");
    // The interval, not the 2 s total, ended the read.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1500));
    EXPECT_TRUE(port.Write("\x10\x7B\x05\x80\x16"));
    EXPECT_EQ(pty.Receive(), "\x10\x7B\x05\x80\x16");
}

TEST(SerialPort, SilentLineEndsOnTheTotalTime) {
    PtyPair pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.slave()), "");
    port.SetTimeouts({20, 30});
    EXPECT_EQ(port.Read(), "");
    pty.Send("abcdef");
    EXPECT_EQ(port.Read(3), "abc");  // the buffer size bounds a read too
    EXPECT_EQ(port.Read(), "def");
}

TEST(SerialPort, OctetsWaitingBeforeTheOpenAreDiscarded) {
    PtyPair pty;
    {
        SerialPort first;
        ASSERT_EQ(first.Open(pty.slave()), "");
        pty.Send("stale");
    }
    SerialPort port;
    ASSERT_EQ(port.Open(pty.slave()), "");
    port.SetTimeouts({10, 20});
    EXPECT_EQ(port.Read(), "");
}

TEST(SerialPort, FailuresAreReported) {
    SerialPort port;
    EXPECT_NE(port.Open("/dev/no_such_port"), "");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Write("x"));
    EXPECT_EQ(port.Read(), "");
    EXPECT_NE(port.ApplyLine({9600, 'N'}), "");
    PtyPair pty;
    ASSERT_EQ(port.Open(pty.slave()), "");
    EXPECT_NE(port.ApplyLine({12345, 'N'}), "");
}

class Listener {
public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 4);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~Listener() {
        if (peer_ >= 0) ::close(peer_);
        if (fd_ >= 0) ::close(fd_);
    }
    void Accept() { peer_ = ::accept(fd_, nullptr, nullptr); }
    void Send(const std::string& s) { ::send(peer_, s.data(), s.size(), 0); }
    std::string Receive() {
        char buf[256];
        const ssize_t n = ::recv(peer_, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
    void ClosePeer() {
        ::close(peer_);
        peer_ = -1;
    }
    void CloseListener() {
        ::close(fd_);
        fd_ = -1;
    }
    uint16_t port() const { return port_; }

private:
    int fd_ = -1;
    int peer_ = -1;
    uint16_t port_ = 0;
};

TEST(TcpClient, ExchangeAndPeerClose) {
    Listener server;
    TcpClient client;
    ASSERT_EQ(client.Connect("127.0.0.1", server.port(), 2000), "");
    server.Accept();
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(client.Write("\x10\x49\x01\x4A\x16"));
    EXPECT_EQ(server.Receive(), "\x10\x49\x01\x4A\x16");
    bool error = true;
    EXPECT_EQ(client.ReadAvailable(10, &error), "");  // silence is not an error
    EXPECT_FALSE(error);
    server.Send("\x10\x0B\x01\x0C\x16");
    EXPECT_EQ(client.ReadAvailable(2000, &error), "\x10\x0B\x01\x0C\x16");
    server.Send("\xE5");
    server.ClosePeer();
    // The last octets before the close still arrive; then the client knows it is disconnected.
    std::string got = client.ReadAvailable(2000, &error);
    if (got.empty() || !error) got += client.ReadAvailable(2000, &error);
    EXPECT_EQ(got, "\xE5");
    EXPECT_TRUE(error);
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.Write("x"));
}

TEST(TcpClient, RefusedConnectionIsReported) {
    uint16_t port;
    {
        Listener gone;
        port = gone.port();
        gone.CloseListener();
    }
    TcpClient client;
    EXPECT_NE(client.Connect("127.0.0.1", port, 1000), "");
    EXPECT_FALSE(client.Connected());
    EXPECT_NE(client.Connect("no-such-host.invalid", 1, 1000), "");
}

}  // namespace
}  // namespace iec
