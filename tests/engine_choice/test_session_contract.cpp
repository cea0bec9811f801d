// The promises of session::RemoteSession, held against every engine behind
// it: a real pyftpdlib server for FTP, a real sshd for SFTP. Sessions come
// from the engine choice, as the windows get them. New engine behaviour that
// the windows rely on is tested here, once for both.

#include "engine_choice/engine_choice.h"
#include "support/scripted_questions.h"
#include "support/test_ftp_server.h"
#include "support/test_ssh_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>

using namespace std::chrono_literals;
using session::ErrorKind;
using session::RemoteSession;
using session::TransferDirection;

namespace {

enum class Engine { Ftp, Sftp };

engine_choice::ConnectOptions optionsFor(const TestFtpServer&)
{
    engine_choice::ConnectOptions options;
    options.timeout = 20s;  // generous: the suites run in parallel on a loaded machine
    return options;
}

engine_choice::ConnectOptions optionsFor(const TestSshServer& server)
{
    engine_choice::ConnectOptions options;
    options.timeout = 20s;
    options.sshFolder = server.clientFolder();
    options.hostKeyStore = server.scratch() + "/store/known_hosts";
    options.questions = trustingHostKeys();
    return options;
}

// A test server of either kind, seen through what the suite needs of it.
class Served {
public:
    virtual ~Served() = default;
    // A logged-on session from the engine choice; null after a failed logon.
    virtual std::unique_ptr<RemoteSession> logOn() = 0;
    // Files in the served folder, by path relative to it.
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    virtual std::string readFile(const std::string& path) = 0;
    virtual void makeFolder(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

template <class Server>
class ServedBy : public Served {
public:
    ServedBy(engine_choice::Protocol protocol) : protocol_(protocol) {}
    std::unique_ptr<RemoteSession> logOn() override
    {
        auto session = engine_choice::createSession(protocol_, optionsFor(server_));
        const auto status = session->open("127.0.0.1", std::uint16_t(server_.port()), server_.user(),
                                          server_.password());
        EXPECT_TRUE(status.ok()) << status.message();
        return status.ok() ? std::move(session) : nullptr;
    }
    void writeFile(const std::string& path, const std::string& bytes) override { server_.writeFile(path, bytes); }
    std::string readFile(const std::string& path) override { return server_.readFile(path); }
    void makeFolder(const std::string& path) override { server_.makeFolder(path); }
    bool exists(const std::string& path) override { return server_.exists(path); }

private:
    Server server_;
    engine_choice::Protocol protocol_;
};

std::unique_ptr<Served> start(Engine engine)
{
    if (engine == Engine::Ftp)
        return std::make_unique<ServedBy<TestFtpServer>>(engine_choice::Protocol::Ftp);
    return std::make_unique<ServedBy<TestSshServer>>(engine_choice::Protocol::Sftp);
}

// Larger than any engine's buffer or request, and not a multiple of one.
const std::string bigFile = patternBytes(3 * 1024 * 1024 + 17);

struct Download {
    std::string bytes;
    session::Status status;    // the first failure, else closeFile's
    bool eachReadFull = true;  // every read but the last filled its request
    bool endedWithZero = false;
};

Download downloadAll(RemoteSession& session, const std::string& path)
{
    Download result;
    result.status = session.openFile(path, TransferDirection::Download);
    std::string block(64 * 1024, '\0');
    bool shortSeen = false;
    while (result.status.ok()) {
        std::size_t count = 0;
        result.status = session.read(block.data(), block.size(), count);
        result.bytes.append(block.data(), count);
        result.eachReadFull = result.eachReadFull && !(shortSeen && count > 0);
        shortSeen = shortSeen || count < block.size();
        if (count == 0) {
            result.endedWithZero = result.status.ok();
            break;
        }
    }
    const auto closed = session.closeFile();
    if (result.status.ok())
        result.status = closed;
    return result;
}

session::Status uploadAll(RemoteSession& session, const std::string& path, const std::string& bytes)
{
    auto status = session.openFile(path, TransferDirection::Upload);
    for (std::size_t at = 0; status.ok() && at < bytes.size(); at += 64 * 1024)
        status = session.write(bytes.data() + at, std::min<std::size_t>(64 * 1024, bytes.size() - at));
    const auto closed = session.closeFile();
    return status.ok() ? closed : status;
}

class SessionContract : public ::testing::TestWithParam<Engine> {
protected:
    static void TearDownTestSuite() { servers().clear(); }
    static std::map<Engine, std::unique_ptr<Served>>& servers()
    {
        static std::map<Engine, std::unique_ptr<Served>> started;
        return started;
    }

    // Logs on to this engine's shared server and makes the test a folder of
    // its own; paths given to the session are absolute, from its first folder.
    void SetUp() override
    {
        auto& served = servers()[GetParam()];
        if (!served)
            served = start(GetParam());
        server = served.get();
        folder = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = folder.substr(0, folder.find('/'));
        server->makeFolder(folder);
        remote = server->logOn();
        ASSERT_TRUE(remote);
        ASSERT_TRUE(remote->printWorkingDirectory(home).ok());
    }
    void TearDown() override
    {
        if (remote)
            remote->close();
    }
    // `name` in the test's folder: relative to the served folder, or as the session names it.
    std::string local(const std::string& name) const { return folder + "/" + name; }
    std::string path(const std::string& name) const { return folderPath() + "/" + name; }
    std::string folderPath() const { return (home == "/" ? "" : home) + "/" + folder; }

    Served* server = nullptr;
    std::unique_ptr<RemoteSession> remote;
    std::string folder;
    std::string home;
};

TEST_P(SessionContract, closingTwiceIsSafeAndLaterCallsFail)
{
    remote->close();
    remote->close();
    EXPECT_FALSE(remote->isOpen());
    std::string where;
    EXPECT_FALSE(remote->printWorkingDirectory(where).ok());
}

TEST_P(SessionContract, workingFolderFollowsChangesAndStaysOnARefusedOne)
{
    server->makeFolder(local("inner"));
    ASSERT_TRUE(remote->changeDirectory(path("inner")).ok());
    std::string where;
    ASSERT_TRUE(remote->printWorkingDirectory(where).ok());
    EXPECT_EQ(where, path("inner"));
    EXPECT_EQ(remote->changeDirectory(path("missing")).kind(), ErrorKind::Refused);
    ASSERT_TRUE(remote->printWorkingDirectory(where).ok());
    EXPECT_EQ(where, path("inner"));
}

TEST_P(SessionContract, folderAndFileOperationsChangeTheDiskOrAreRefused)
{
    server->writeFile(local("file"), "bytes");
    server->makeFolder(local("empty"));
    struct Case {
        const char* name;
        std::function<session::Status(RemoteSession&)> run;
        ErrorKind kind;
        const char* gone;     // no longer on disk afterwards; "" for none
        const char* present;  // on disk afterwards; "" for none
    };
    const Case cases[] = {
        {"make folder", [&](auto& s) { return s.makeDirectory(path("new")); }, ErrorKind::None, "", "new"},
        {"make existing folder", [&](auto& s) { return s.makeDirectory(path("new")); }, ErrorKind::Refused, "", "new"},
        {"remove folder", [&](auto& s) { return s.removeDirectory(path("empty")); }, ErrorKind::None, "empty", ""},
        {"remove missing folder", [&](auto& s) { return s.removeDirectory(path("empty")); }, ErrorKind::Refused, "", ""},
        {"rename", [&](auto& s) { return s.rename(path("file"), path("renamed")); }, ErrorKind::None, "file", "renamed"},
        {"rename missing", [&](auto& s) { return s.rename(path("file"), path("other")); }, ErrorKind::Refused, "other", "renamed"},
        {"delete", [&](auto& s) { return s.deleteFile(path("renamed")); }, ErrorKind::None, "renamed", ""},
        {"delete missing", [&](auto& s) { return s.deleteFile(path("renamed")); }, ErrorKind::Refused, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run(*remote).kind(), c.kind);
        if (*c.gone) {
            EXPECT_FALSE(server->exists(local(c.gone)));
        }
        if (*c.present) {
            EXPECT_TRUE(server->exists(local(c.present)));
        }
    }
    EXPECT_TRUE(remote->isOpen());
}

TEST_P(SessionContract, listingNamesEveryEntryWithItsKindAndSize)
{
    const std::map<std::string, std::pair<bool, std::uint64_t>> expected = {
        {"plain.txt", {false, 5}},
        {"with  two spaces.txt", {false, 3}},
        {"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.bin", {false, bigFile.size()}},
        {"sub folder", {true, 0}},
    };
    server->writeFile(local("plain.txt"), "12345");
    server->writeFile(local("with  two spaces.txt"), "abc");
    server->writeFile(local("caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.bin"), bigFile);
    server->makeFolder(local("sub folder"));
    std::vector<session::ListEntry> entries;
    ASSERT_TRUE(remote->listFolder(folderPath(), entries).ok());
    std::map<std::string, std::pair<bool, std::uint64_t>> listed;
    for (const auto& entry : entries)
        listed[entry.name] = {entry.isFolder, entry.isFolder ? 0 : entry.size.value_or(~0ull)};
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(entries.size(), expected.size());
}

TEST_P(SessionContract, filesMakeTheRoundTripByteExact)
{
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""}, {"one byte", "x"}, {"larger than a buffer", bigFile}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const auto uploaded = uploadAll(*remote, path(name), bytes);
        ASSERT_TRUE(uploaded.ok()) << uploaded.message();
        EXPECT_TRUE(server->readFile(local(name)) == bytes);
        const Download back = downloadAll(*remote, path(name));
        EXPECT_TRUE(back.status.ok()) << back.status.message();
        EXPECT_TRUE(back.bytes == bytes) << back.bytes.size() << " bytes came back of " << bytes.size();
        EXPECT_TRUE(back.eachReadFull);
        EXPECT_TRUE(back.endedWithZero);
        EXPECT_FALSE(remote->isFileOpen());
    }
}

TEST_P(SessionContract, oneFileOpenAtATimeAndAnEarlyCloseIsNoSuccess)
{
    server->writeFile(local("big"), bigFile);
    server->writeFile(local("small"), "small");
    ASSERT_TRUE(remote->openFile(path("big"), TransferDirection::Download).ok());
    EXPECT_EQ(remote->openFile(path("small"), TransferDirection::Download).kind(), ErrorKind::WrongState);
    EXPECT_EQ(remote->openFile(path("up"), TransferDirection::Upload).kind(), ErrorKind::WrongState);
    std::string where;
    EXPECT_EQ(remote->printWorkingDirectory(where).kind(), ErrorKind::WrongState);
    char block[1000];
    std::size_t count = 0;
    ASSERT_TRUE(remote->read(block, sizeof block, count).ok());
    EXPECT_TRUE(remote->isFileOpen());
    EXPECT_FALSE(remote->closeFile().ok());
    EXPECT_FALSE(remote->isFileOpen());
    // The session goes on, and the file the second open named was never touched.
    EXPECT_EQ(downloadAll(*remote, path("small")).bytes, "small");
    EXPECT_FALSE(server->exists(local("up")));
}

TEST_P(SessionContract, aMissingFileIsRefusedAndTheSessionGoesOn)
{
    EXPECT_EQ(remote->openFile(path("missing"), TransferDirection::Download).kind(), ErrorKind::Refused);
    EXPECT_FALSE(remote->isFileOpen());
    EXPECT_EQ(remote->openFile(path("no folder/file"), TransferDirection::Upload).kind(), ErrorKind::Refused);
    EXPECT_FALSE(remote->isFileOpen());
    std::string where;
    EXPECT_TRUE(remote->printWorkingDirectory(where).ok());
}

TEST_P(SessionContract, aSessionWhoseServerDiedIsNoLongerOpen)
{
    auto own = start(GetParam());
    auto doomed = own->logOn();
    ASSERT_TRUE(doomed);
    own.reset();
    std::vector<session::ListEntry> entries;
    EXPECT_FALSE(doomed->listFolder("/", entries).ok());
    EXPECT_FALSE(doomed->isOpen());
    std::string where;
    EXPECT_FALSE(doomed->printWorkingDirectory(where).ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, SessionContract, ::testing::Values(Engine::Ftp, Engine::Sftp),
                         [](const auto& info) { return info.param == Engine::Ftp ? "ftp" : "sftp"; });

} // namespace
