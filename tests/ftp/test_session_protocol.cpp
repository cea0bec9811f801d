// Protocol corners the test server cannot produce: IPv6, replies in unusual
// but legal forms, and malformed ones. A scripted peer on the loopback plays
// the server, one command and one reply at a time.

#include "ftp/ftp_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

using ftp::ErrorKind;

namespace {

int listenOn(int family, std::uint16_t& port)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (family == AF_INET6) {
        auto* address = reinterpret_cast<sockaddr_in6*>(&storage);
        address->sin6_family = AF_INET6;
        address->sin6_addr = in6addr_loopback;
        length = sizeof *address;
    } else {
        auto* address = reinterpret_cast<sockaddr_in*>(&storage);
        address->sin_family = AF_INET;
        address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *address;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                    : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    return fd;
}

int acceptWithin5s(int listener)
{
    timeval wait{5, 0};
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd >= 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

// The server side of one control connection, driven by a test's script.
class Peer {
public:
    Peer(int family, std::function<void(Peer&)> script) : family_(family)
    {
        listener_ = listenOn(family, port_);
        if (listener_ >= 0)
            thread_ = std::thread([this, script] {
                control_ = acceptWithin5s(listener_);
                if (control_ >= 0)
                    script(*this);
                // The script is over: the peer hangs up, as a server would.
                ::shutdown(control_, SHUT_RDWR);
            });
    }
    ~Peer()
    {
        if (thread_.joinable())
            thread_.join();
        for (int fd : {control_, data_, dataListener_, listener_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    bool listening() const { return listener_ >= 0; }
    std::uint16_t port() const { return port_; }

    void send(const std::string& text) { (void)::send(control_, text.data(), text.size(), MSG_NOSIGNAL); }
    // The next command line, without CRLF; empty when the client went away.
    std::string command()
    {
        std::string line;
        char c = 0;
        while (::recv(control_, &c, 1, 0) == 1) {
            if (c == '\n')
                break;
            if (c != '\r')
                line += c;
        }
        return line;
    }
    // Answers the command if it starts with `expected`, else records a test failure.
    void expect(const std::string& expected, const std::string& reply)
    {
        const std::string got = command();
        EXPECT_EQ(got.substr(0, expected.size()), expected) << "full command: " << got;
        send(reply);
    }
    void logOn(const std::string& features = " MLST type*;size*;modify*;\r\n")
    {
        send("220 Scripted peer\r\n");
        expect("AUTH TLS", "500 AUTH not understood\r\n");
        expect("USER test", "331 Password please\r\n");
        expect("PASS secret", "230 Welcome\r\n");
        expect("FEAT", "211-Features:\r\n" + features + "211 End\r\n");
        expect("TYPE I", "200 Binary\r\n");
        if (features.find("UTF8") != std::string::npos)
            expect("OPTS UTF8 ON", "200 UTF8 set to on\r\n");
    }
    // Answers EPSV with a fresh data port and accepts the connection after `command`.
    void passive()
    {
        std::uint16_t port = 0;
        dataListener_ = listenOn(family_, port);
        expect("EPSV", "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)\r\n");
    }
    void acceptData() { data_ = acceptWithin5s(dataListener_); }
    void sendData(const std::string& bytes) { (void)::send(data_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    void closeData()
    {
        ::close(data_);
        data_ = -1;
    }

private:
    int family_;
    int listener_ = -1;
    int dataListener_ = -1;
    int control_ = -1;
    int data_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

ftp::Status logOn(ftp::Session& session, const Peer& peer, const char* host = "127.0.0.1")
{
    return session.open(host, peer.port(), "test", "secret");
}

} // namespace

TEST(ScriptedPeer, Ipv6LogonUtf8AndDownload)
{
    Peer peer(AF_INET6, [](Peer& p) {
        p.logOn(" UTF8\r\n MLST type*;size*;\r\n");
        p.passive();
        p.expect("RETR /f.bin", "150 Opening\r\n");
        p.acceptData();
        p.sendData("hello over ipv6");
        p.closeData();
        p.send("226 Done\r\n");
        p.expect("QUIT", "221 Bye\r\n");
    });
    ASSERT_TRUE(peer.listening()) << "no IPv6 loopback here";
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    const ftp::Status opened = logOn(session, peer, "::1");
    ASSERT_TRUE(opened.ok()) << opened.message();
    EXPECT_TRUE(session.utf8Names());
    EXPECT_TRUE(session.offersMlst());
    ASSERT_TRUE(session.openFile("/f.bin", ftp::TransferDirection::Download).ok());
    char buffer[1024];
    std::size_t count = 0;
    ASSERT_TRUE(session.read(buffer, sizeof buffer, count).ok());
    EXPECT_EQ(std::string(buffer, count), "hello over ipv6");
    EXPECT_TRUE(session.closeFile().ok());
    session.close();
}

TEST(ScriptedPeer, MultiLineGreetingAfterA120AndMultiLineSuccess)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.send("120 Ready in a moment\r\n");
        p.send("220-Welcome\r\n220-Rules: be nice\r\n 220 not the end\r\n220 Ready\r\n");
        p.expect("AUTH TLS", "502 Not implemented\r\n");
        p.expect("USER test", "230 No password needed\r\n");
        p.expect("FEAT", "500 FEAT not understood\r\n");
        p.expect("TYPE I", "200 Binary\r\n");
        p.expect("CWD /x", "250-Folder changed\r\n250-Read the README\r\n250 OK\r\n");
        p.expect("PWD", "257 \"/x\"\r\n");
        p.expect("QUIT", "221 Bye\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    const ftp::Status opened = logOn(session, peer);
    ASSERT_TRUE(opened.ok()) << opened.message();
    EXPECT_FALSE(session.offersMlst());
    EXPECT_FALSE(session.utf8Names());
    EXPECT_TRUE(session.changeDirectory("/x").ok());
    std::string path;
    ASSERT_TRUE(session.printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/x");
    session.close();
}

TEST(ScriptedPeer, Utf8InFeatMeansUtf8NamesEvenWhenOptsIsRefused)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.send("220 Scripted peer\r\n");
        p.expect("AUTH TLS", "500 AUTH not understood\r\n");
        p.expect("USER test", "230 Welcome\r\n");
        p.expect("FEAT", "211-Features:\r\n UTF8\r\n211 End\r\n");
        p.expect("TYPE I", "200 Binary\r\n");
        p.expect("OPTS UTF8 ON", "501 Always on\r\n");
        p.expect("QUIT", "221 Bye\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    EXPECT_TRUE(session.utf8Names());
    session.close();
}

TEST(ScriptedPeer, MalformedReplyFailsWithProtocolAndBreaksTheSession)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.logOn();
        p.expect("PWD", "Hello, I am not an FTP reply\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(1000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    std::string path;
    EXPECT_EQ(session.printWorkingDirectory(path).kind(), ErrorKind::Protocol);
    EXPECT_FALSE(session.isOpen());
    // The next call logs on again (which this one-connection peer never greets).
    EXPECT_EQ(session.changeDirectory("/").kind(), ErrorKind::Timeout);
    session.close();
}

TEST(ScriptedPeer, OversizedMultiLineReplyFailsWithProtocol)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.logOn();
        (void)p.command();
        p.send("250-start\r\n");
        const std::string line = std::string(1000, 'x') + "\r\n";
        std::string block;
        for (int i = 0; i < 100; ++i)
            block += line;
        for (int i = 0; i < 20; ++i)  // about 2 MB, never closed
            p.send(block);
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    EXPECT_EQ(session.changeDirectory("/").kind(), ErrorKind::Protocol);
    session.close();
}

TEST(ScriptedPeer, TransferAnsweredAt2xxWithoutPreliminaryReply)
{
    // Some servers answer a short RETR straight with 226 and no 150.
    Peer peer(AF_INET, [](Peer& p) {
        p.logOn();
        p.passive();
        p.acceptData();
        p.sendData("abc");
        p.closeData();
        p.expect("RETR /f", "226 Transfer complete\r\n");
        p.expect("PWD", "257 \"/\"\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    ASSERT_TRUE(session.openFile("/f", ftp::TransferDirection::Download).ok());
    char buffer[16];
    std::size_t count = 0;
    ASSERT_TRUE(session.read(buffer, sizeof buffer, count).ok());
    EXPECT_EQ(std::string(buffer, count), "abc");
    EXPECT_TRUE(session.closeFile().ok());
    std::string path;
    EXPECT_TRUE(session.printWorkingDirectory(path).ok());
}

TEST(ScriptedPeer, UnreadablePassiveReplyFailsOnlyThatTransfer)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.logOn();
        p.expect("EPSV", "229 Entering Extended Passive Mode (garbage)\r\n");
        p.expect("PASV", "227 Entering Passive Mode (no numbers here)\r\n");
        p.expect("PWD", "257 \"/\"\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    EXPECT_EQ(session.openFile("/f", ftp::TransferDirection::Download).kind(), ErrorKind::Protocol);
    EXPECT_FALSE(session.isFileOpen());
    std::string path;
    EXPECT_TRUE(session.printWorkingDirectory(path).ok());
}

TEST(ScriptedPeer, ServerClosingTheControlConnectionIsANetworkFailure)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.logOn();
        (void)p.command();
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    // The script ends and the peer hangs up after reading the command.
    const ftp::Status status = session.makeDirectory("/x");
    EXPECT_EQ(status.kind(), ErrorKind::Network) << status.message();
    EXPECT_FALSE(session.isOpen());
    session.close();
}

TEST(ScriptedPeer, StrayReplyBeforeACommandIsNotTakenAsItsAnswer)
{
    Peer peer(AF_INET, [](Peer& p) {
        p.send("220 Scripted peer\r\n");
        p.expect("AUTH TLS", "530 Please login with USER and PASS\r\n");
        p.expect("USER test", "230 In\r\n");
        p.expect("FEAT", "211 None\r\n");
        // One write, so both lines are there before the client sends again.
        p.expect("TYPE I", "200 Binary\r\n226 Late answer to something else\r\n");
        p.expect("PWD", "257 \"/right\"\r\n");
    });
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    ASSERT_TRUE(logOn(session, peer).ok());
    std::string path;
    const ftp::Status status = session.printWorkingDirectory(path);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(path, "/right");
}
