// The SFTP engine against OpenSSH's sshd.

#include "sftp/sftp_session.h"
#include "support/child_process.h"
#include "support/held_string.h"
#include "support/scripted_questions.h"
#include "support/test_ftp_server.h"
#include "support/test_ssh_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <stdexcept>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

// An ssh-agent of its own holding one key, which the server accepts. It
// lives as long as the shell it runs, which ends with its input: with this
// object, or with the test process.
class TestAgent {
public:
    explicit TestAgent(const TestSshServer& server)
    {
        const std::string folder = server.scratch() + "/agent";
        std::filesystem::create_directories(folder);
        runCommand("ssh-keygen -q -t ed25519 -N '' -C agent -f " + folder + "/key");
        socket_ = folder + "/socket";
        agent_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/ssh-agent", "-a", socket_, "/bin/sh", "-c", "read -r _"},
            folder + "/agent.log");
        for (int i = 0; i < 500 && !std::filesystem::exists(socket_); ++i)
            ::usleep(10000);
        runCommand("SSH_AUTH_SOCK=" + socket_ + " ssh-add -q " + folder + "/key 2>&1");
        std::ifstream publicKey(folder + "/key.pub");
        std::string line;
        std::getline(publicKey, line);
        server.authorize(line);
    }
    const std::string& socket() const { return socket_; }

private:
    std::string socket_;
    std::unique_ptr<ChildProcess> agent_;
};

// A socket where an agent should be that takes connections and never answers.
class SilentAgent {
public:
    explicit SilentAgent(const std::string& path) : path_(path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 4) != 0)
            throw std::runtime_error("SilentAgent: cannot listen on " + path);
    }
    ~SilentAgent()
    {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    const std::string& socket() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

enum class Agent { None, Working, Silent };

struct Logon {
    const char* name;
    Agent withAgent;
    bool withKey;
    bool rightPassword;
    bool needsPassword;  // only where the server takes passwords (run as root)
    bool loggedOn;
};

class SftpSession : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::unsetenv("SSH_AUTH_SOCK");  // the developer's own agent stays out of it
        server = new TestSshServer();
    }
    static void TearDownTestSuite() { delete server; }

    sftp::SessionOptions options(bool withKey = true)
    {
        sftp::SessionOptions result;
        result.timeout = 5000ms;
        result.sshFolder = withKey ? server->clientFolder() : server->emptyClientFolder();
        result.hostKeyStore = server->scratch() + "/store/known_hosts";
        result.questions = trustingHostKeys();
        return result;
    }
    std::unique_ptr<sftp::Session> connected()
    {
        auto session = std::make_unique<sftp::Session>(options());
        const auto status = session->open("127.0.0.1", std::uint16_t(server->port()), server->user(), "");
        EXPECT_TRUE(status.ok()) << status.message();
        return session;
    }

    static TestSshServer* server;
};
TestSshServer* SftpSession::server = nullptr;

TEST_F(SftpSession, logsOnByKeyOrPasswordAndRefusesOtherwise)
{
    const Logon cases[] = {
        {"agent", Agent::Working, false, false, false, true},
        {"key file", Agent::None, true, false, false, true},
        {"key file past an agent that never answers", Agent::Silent, true, false, false, true},
        {"password", Agent::None, false, true, true, true},
        {"wrong password", Agent::None, false, false, true, false},
        {"no key, no password", Agent::None, false, false, false, false},
    };
    const TestAgent agent(*server);
    const SilentAgent silent(server->scratch() + "/silent-agent");
    for (const Logon& logon : cases) {
        if (logon.needsPassword && !server->passwordLogon())
            continue;
        if (logon.withAgent == Agent::None)
            ::unsetenv("SSH_AUTH_SOCK");
        else
            ::setenv("SSH_AUTH_SOCK", (logon.withAgent == Agent::Working ? agent.socket() : silent.socket()).c_str(), 1);
        sftp::Session session(options(logon.withKey));
        const auto status = session.open("127.0.0.1", std::uint16_t(server->port()), server->user(),
                                         logon.rightPassword ? server->password() : "wrong");
        EXPECT_EQ(status.ok(), logon.loggedOn) << logon.name << ": " << status.message();
        if (!logon.loggedOn) {
            EXPECT_EQ(status.kind(), session::ErrorKind::Refused) << logon.name;
        }
    }
}

TEST_F(SftpSession, transfersAreByteExactBothWays)
{
    auto session = connected();
    ASSERT_TRUE(session->isOpen());
    EXPECT_NE(session->encryption().find("SSH-2, "), std::string::npos) << session->encryption();
    std::string folder;
    ASSERT_TRUE(session->printWorkingDirectory(folder).ok());
    EXPECT_EQ(folder, server->root());
    for (const std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(1025), std::size_t(64 * 32768 + 5),
                                   std::size_t(5 << 20)}) {
        const std::string name = "f" + std::to_string(size);
        server->writePatternFile(name, size);
        ASSERT_TRUE(session->openFile(name, session::TransferDirection::Download).ok());
        std::string got;
        char block[1024];
        for (std::size_t count = 1; count;) {
            ASSERT_TRUE(session->read(block, sizeof block, count).ok()) << size;
            got.append(block, count);
        }
        ASSERT_TRUE(session->closeFile().ok());
        EXPECT_TRUE(got == patternBytes(size)) << size << " got " << got.size();

        ASSERT_TRUE(session->openFile("up" + name, session::TransferDirection::Upload).ok());
        for (std::size_t at = 0; at < got.size(); at += 1024)
            ASSERT_TRUE(session->write(got.data() + at, std::min<std::size_t>(1024, got.size() - at)).ok());
        const auto closed = session->closeFile();
        ASSERT_TRUE(closed.ok()) << closed.message();
        EXPECT_TRUE(server->readFile("up" + name) == got) << size;
    }
}

TEST_F(SftpSession, aCutDownloadResumesOnlyWhileTheFileIsUnchanged)
{
    const std::size_t size = 3 << 20;
    for (const bool changed : {false, true}) {
        server->writePatternFile("resume.bin", size);
        auto session = connected();
        std::vector<session::ListEntry> entries;
        ASSERT_TRUE(session->listFolder(server->root(), entries).ok());
        const auto listed = std::find_if(entries.begin(), entries.end(),
                                         [](const session::ListEntry& entry) { return entry.name == "resume.bin"; });
        ASSERT_NE(listed, entries.end());
        // The cut: half the file read, then the link gone without a word.
        ASSERT_TRUE(session->openFile("resume.bin", session::TransferDirection::Download).ok());
        std::string held(size / 2, '\0');
        std::size_t count = 0;
        ASSERT_TRUE(session->read(held.data(), held.size(), count).ok());
        session->abandon();
        std::string remote = patternBytes(size);
        if (changed) {  // same size, other bytes, a later date
            std::reverse(remote.begin(), remote.end());
            server->writeFile("resume.bin", remote);
            const std::filesystem::path path = server->root() + "/resume.bin";
            std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::hours(1));
        }

        auto again = connected();
        std::uint64_t offset = held.size();
        HeldString reader(held);
        const auto opened = again->resumeDownload("resume.bin", size, listed->modified, offset, reader);
        ASSERT_TRUE(opened.ok()) << opened.message();
        EXPECT_EQ(offset, changed ? 0u : held.size()) << changed;
        held.resize(offset);
        char block[65536];
        for (count = 1; count;) {
            ASSERT_TRUE(again->read(block, sizeof block, count).ok());
            held.append(block, count);
        }
        ASSERT_TRUE(again->closeFile().ok());
        EXPECT_TRUE(held == remote) << changed << " got " << held.size();
    }
}

TEST_F(SftpSession, listingFollowsEveryLinkOfABigFolder)
{
    server->makeFolder("links/target");
    server->writeFile("links/file.txt", "12345");
    for (int index = 0; index < 600; ++index)
        server->makeLink(index % 2 ? "target" : "file.txt", "links/l" + std::to_string(index));
    server->makeLink("nowhere", "links/broken");
    auto session = connected();
    std::vector<session::ListEntry> entries;
    const auto status = session->listFolder(server->root() + "/links", entries);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(entries.size(), 603u);
    for (const auto& entry : entries) {
        const bool folderLink = entry.name[0] == 'l' && std::stoi(entry.name.substr(1)) % 2;
        EXPECT_EQ(entry.isFolder, entry.name == "target" || folderLink) << entry.name;
        EXPECT_EQ(entry.isLink, entry.name[0] == 'l' || entry.name == "broken") << entry.name;
        if (entry.name[0] == 'l' && !folderLink) {
            EXPECT_EQ(entry.size, std::optional<std::uint64_t>(5)) << entry.name;
        }
    }
}

struct Operation {
    const char* name;
    std::function<session::Status(sftp::Session&)> run;
    bool succeeds;
    std::function<bool(const TestSshServer&)> after;
};

TEST_F(SftpSession, remoteOperationsDoWhatTheySayOrAreRefused)
{
    server->makeFolder("ops/full");
    server->writeFile("ops/full/keep.txt", "k");
    server->writeFile("ops/old.txt", "o");
    server->writeFile("ops/gone.txt", "g");
    auto session = connected();
    const std::string ops = server->root() + "/ops/";
    const Operation operations[] = {
        {"new folder", [&](auto& s) { return s.makeDirectory(ops + "made"); }, true,
         [](const auto& served) { return served.exists("ops/made"); }},
        {"new folder that exists", [&](auto& s) { return s.makeDirectory(ops + "made"); }, false, nullptr},
        {"rename", [&](auto& s) { return s.rename(ops + "old.txt", ops + " new name.txt"); }, true,
         [](const auto& served) { return !served.exists("ops/old.txt") && served.readFile("ops/ new name.txt") == "o"; }},
        {"rename of nothing", [&](auto& s) { return s.rename(ops + "old.txt", ops + "x.txt"); }, false, nullptr},
        {"delete", [&](auto& s) { return s.deleteFile(ops + "gone.txt"); }, true,
         [](const auto& served) { return !served.exists("ops/gone.txt"); }},
        {"delete of nothing", [&](auto& s) { return s.deleteFile(ops + "gone.txt"); }, false, nullptr},
        {"remove a full folder", [&](auto& s) { return s.removeDirectory(ops + "full"); }, false,
         [](const auto& served) { return served.exists("ops/full/keep.txt"); }},
        {"remove a folder", [&](auto& s) { return s.removeDirectory(ops + "made"); }, true,
         [](const auto& served) { return !served.exists("ops/made"); }},
        {"change into a file", [&](auto& s) { return s.changeDirectory(ops + "full/keep.txt"); }, false, nullptr},
        {"change into a folder by a relative path", [&](auto& s) { return s.changeDirectory("ops/full"); }, true,
         nullptr},
        {"a path with NUL", [&](auto& s) { return s.deleteFile(ops + std::string("a\0b", 3)); }, false, nullptr},
    };
    for (const Operation& operation : operations) {
        const auto status = operation.run(*session);
        EXPECT_EQ(status.ok(), operation.succeeds) << operation.name << ": " << status.message();
        if (operation.after) {
            EXPECT_TRUE(operation.after(*server)) << operation.name;
        }
        EXPECT_TRUE(session->isOpen()) << operation.name;
    }
    std::string folder;
    ASSERT_TRUE(session->printWorkingDirectory(folder).ok());
    EXPECT_EQ(folder, server->root() + "/ops/full");
}

TEST(SftpSessionKilled, aServerKilledMidDownloadFailsTheReadAndNeverEndsIt)
{
    TestSshServer doomed;
    doomed.writePatternFile("big.bin", 20u << 20);
    sftp::SessionOptions options;
    options.timeout = std::chrono::milliseconds(5000);
    options.sshFolder = doomed.clientFolder();
    options.questions = trustingHostKeys();
    sftp::Session session(options);
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(doomed.port()), doomed.user(), "").ok());
    ASSERT_TRUE(session.openFile("big.bin", session::TransferDirection::Download).ok());
    char block[1024];
    std::size_t count = 0;
    ASSERT_TRUE(session.read(block, sizeof block, count).ok());

    doomed.kill();

    std::size_t total = count;
    session::Status status;
    while ((status = session.read(block, sizeof block, count)).ok() && count > 0)
        total += count;
    EXPECT_FALSE(status.ok()) << "ended cleanly after " << total << " bytes";
    EXPECT_LT(total, std::size_t(20u << 20));
    EXPECT_FALSE(session.closeFile().ok());
}

} // namespace
