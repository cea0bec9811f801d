// The SFTP engine against a scripted server that stalls or dies: every wait
// ends, and nothing half done passes for done.

#include "sftp/sftp_session.h"
#include "support/scripted_questions.h"
#include "support/scripted_sftp_server.h"
#include "support/test_ftp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

using namespace std::chrono_literals;
using session::ErrorKind;
using session::TransferDirection;

namespace {

enum class Step { Logon, Listing, Download, Upload };

struct Fault {
    const char* name;
    std::vector<std::string> options;
    Step failingStep;
    ErrorKind kind;
};

sftp::SessionOptions quickOptions(const std::string& folder)
{
    sftp::SessionOptions options;
    options.timeout = 1500ms;
    options.sshFolder = folder;  // no keys, no known_hosts
    options.questions = trustingHostKeys();
    return options;
}

session::Status download(sftp::Session& session, const std::string& path, std::string& bytes)
{
    if (auto s = session.openFile(path, TransferDirection::Download); !s.ok())
        return s;
    char block[1024];
    for (std::size_t count = 1; count;) {
        if (auto s = session.read(block, sizeof block, count); !s.ok()) {
            (void)session.closeFile();
            return s;
        }
        bytes.append(block, count);
    }
    return session.closeFile();
}

session::Status upload(sftp::Session& session, const std::string& path, const std::string& bytes,
                       const std::string& next = {})
{
    if (auto s = session.openFile(path, TransferDirection::Upload); !s.ok())
        return s;
    if (!next.empty())
        session.nextTransferIs(next, TransferDirection::Upload);
    for (std::size_t at = 0; at < bytes.size(); at += 1024) {
        if (auto s = session.write(bytes.data() + at, std::min<std::size_t>(1024, bytes.size() - at)); !s.ok()) {
            (void)session.closeFile();
            return s;
        }
    }
    return session.closeFile();
}

TEST(SftpFaults, aStallOrADeadServerFailsTheStepItHitsAndNothingLooksDone)
{
    const Fault faults[] = {
        {"silent after connect", {"--stall-kex"}, Step::Logon, ErrorKind::Timeout},
        {"listing never answered", {"--stall", "opendir"}, Step::Listing, ErrorKind::Timeout},
        {"open never answered", {"--stall", "open"}, Step::Download, ErrorKind::Timeout},
        {"reads never answered", {"--stall", "read"}, Step::Download, ErrorKind::Timeout},
        {"server dies mid-download", {"--die-after", "300000"}, Step::Download, ErrorKind::Network},
        {"writes never answered", {"--stall", "write"}, Step::Upload, ErrorKind::Timeout},
    };
    const std::string content = patternBytes(3 << 20);
    for (const Fault& fault : faults) {
        ScriptedSftpServer server(fault.options);
        std::ofstream(server.root() + "/big.bin", std::ios::binary) << content;
        sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
        auto status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret");
        std::vector<session::ListEntry> entries;
        std::string bytes;
        if (status.ok() && fault.failingStep != Step::Logon)
            status = session.listFolder("/", entries);
        if (status.ok() && fault.failingStep != Step::Listing)
            status = download(session, "/big.bin", bytes);
        if (status.ok() && fault.failingStep == Step::Upload)
            status = upload(session, "/up.bin", content);
        EXPECT_FALSE(status.ok()) << fault.name;
        EXPECT_EQ(status.kind(), fault.kind) << fault.name << ": " << status.message();
        if (fault.failingStep == Step::Download) {
            EXPECT_LT(bytes.size(), content.size()) << fault.name;
        }
    }
}

TEST(SftpFaults, aLinkGivenUpOnIsLoggedOnAgainByTheNextOperation)
{
    ScriptedSftpServer server({"--stall", "read"});
    std::ofstream(server.root() + "/a.bin") << "abc";
    std::filesystem::create_directory(server.root() + "/sub");
    sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    std::string bytes;
    EXPECT_EQ(download(session, "/a.bin", bytes).kind(), ErrorKind::Timeout);
    EXPECT_FALSE(session.isOpen());

    std::vector<session::ListEntry> entries;
    const auto listed = session.listFolder("/", entries);
    ASSERT_TRUE(listed.ok()) << listed.message();
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_TRUE(session.isOpen());
}

} // namespace

namespace {

struct ScriptedLogon {
    const char* name;
    std::vector<std::string> options;
    bool trustKey;
    const char* password;
    bool loggedOn;
    std::vector<std::string> attempts;  // as the server logged them
};

std::vector<std::string> lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

TEST(SftpLogon, nothingIsSentForTheLogonBeforeTheKeyIsTrustedAndPasswordsGoEitherWay)
{
    const ScriptedLogon cases[] = {
        {"key refused: no logon attempt", {}, false, "secret", false, {}},
        {"password", {}, true, "secret", true, {"AUTH none", "AUTH password"}},
        {"keyboard-interactive", {"--kbdint-only"}, true, "secret", true, {"AUTH none", "AUTH keyboard-interactive"}},
        {"keyboard-interactive, wrong password asked once", {"--kbdint-only"}, true, "wrong", false,
         {"AUTH none", "AUTH keyboard-interactive"}},
    };
    for (const ScriptedLogon& logon : cases) {
        char folder[] = "/tmp/cvl-XXXXXX";
        ASSERT_TRUE(::mkdtemp(folder));
        const std::string log = std::string(folder) + "/auth.log";
        std::vector<std::string> options = logon.options;
        options.insert(options.end(), {"--log", log});
        ScriptedSftpServer server(options);
        auto settings = quickOptions(std::string(folder) + "/no-keys");
        ScriptedQuestions questions;
        questions.hostKeyAnswer = logon.trustKey;
        // The echoed "Name:" is the user's to answer; the password prompt is the window's.
        questions.promptAnswer = "test";
        settings.questions = questions;
        sftp::Session session(settings);
        const auto status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", logon.password);
        EXPECT_EQ(status.ok(), logon.loggedOn) << logon.name << ": " << status.message();
        if (!logon.trustKey) {
            EXPECT_EQ(status.kind(), ErrorKind::Insecure) << logon.name;
        }
        EXPECT_EQ(lines(log), logon.attempts) << logon.name;
        std::filesystem::remove_all(folder);
    }
}

TEST(SftpFaults, aServerAnsweringShortReadsStillGivesTheWholeFile)
{
    ScriptedSftpServer server({"--short-reads", "10000"});
    const std::string content = patternBytes(300000);
    std::ofstream(server.root() + "/a.bin", std::ios::binary) << content;
    sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    std::string bytes;
    const auto status = download(session, "/a.bin", bytes);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_TRUE(bytes == content);
}

} // namespace

namespace {

// The next file's OPEN travels with this one's CLOSE: a failing CLOSE is
// still this file's failure, and the next file comes whole.
TEST(SftpFaults, aCloseFailingAfterTheNextOpenWentOutIsTheFirstFilesFailure)
{
    ScriptedSftpServer server({"--fail-close", "a.bin"});
    const std::string first = patternBytes(5000), second = patternBytes(7000);
    std::ofstream(server.root() + "/a.bin", std::ios::binary) << first;
    std::ofstream(server.root() + "/b.bin", std::ios::binary) << second;
    sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    ASSERT_TRUE(session.openFile("/a.bin", TransferDirection::Download).ok());
    session.nextTransferIs("/b.bin", TransferDirection::Download);
    std::string bytes(8192, '\0');
    std::size_t count = 0;
    ASSERT_TRUE(session.read(bytes.data(), bytes.size(), count).ok());
    EXPECT_EQ(count, first.size());
    const auto closed = session.closeFile();
    EXPECT_FALSE(closed.ok());
    EXPECT_NE(closed.message().find("deferred write error"), std::string::npos) << closed.message();
    std::string got;
    const auto next = download(session, "/b.bin", got);
    ASSERT_TRUE(next.ok()) << next.message();
    EXPECT_TRUE(got == second);
}

TEST(SftpFaults, anUploadWhoseSizeOnTheServerDiffersFails)
{
    ScriptedSftpServer server({"--fstat-off-by", "1"});
    sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    const auto status = upload(session, "/up.bin", patternBytes(70000));
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("70001"), std::string::npos) << status.message();
}

} // namespace

namespace {

// The next upload's file is opened, unemptied, with this one's close: what
// stood there must end as the new file, or as it was when the batch stops.
TEST(SftpFaults, theNextUploadOpenedEarlyNeverDamagesWhatStoodThere)
{
    enum class Then { UploadIt, UploadAnother, List };
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::optional<std::string> before;  // b.bin on the server, if any
        Then then;
        bool secondOk;
        std::optional<std::string> after;  // b.bin at the end, if any
    };
    const std::string old(9000, 'o'), fresh = patternBytes(5000);
    const Case cases[] = {
        {"longer file overwritten by a shorter one", {}, old, Then::UploadIt, true, fresh},
        {"shorter file overwritten by a longer one", {}, "short", Then::UploadIt, true, fresh},
        {"new file", {}, std::nullopt, Then::UploadIt, true, fresh},
        {"server refusing the cut fails the file", {"--refuse-setstat"}, old, Then::UploadIt, false, std::nullopt},
        {"batch stopped after a failure: old file kept", {"--fail-close", "a.bin"}, old, Then::List, true, old},
        {"batch stopped after a failure: nothing made", {"--fail-close", "a.bin"}, std::nullopt, Then::List, true,
         std::nullopt},
        {"another file came instead", {}, old, Then::UploadAnother, true, old},
        {"another file came instead of a new one", {}, std::nullopt, Then::UploadAnother, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSftpServer server(c.options);
        const std::string b = server.root() + "/b.bin";
        if (c.before)
            std::ofstream(b, std::ios::binary) << *c.before;
        sftp::Session session(quickOptions(server.root() + "/no-such-folder"));
        ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
        const bool firstFails = !c.options.empty() && c.options.front() == "--fail-close";
        EXPECT_EQ(upload(session, "/a.bin", patternBytes(3000), "/b.bin").ok(), !firstFails);
        session::Status second = session::Status::success();
        std::vector<session::ListEntry> entries;
        if (c.then == Then::UploadIt)
            second = upload(session, "/b.bin", fresh);
        else if (c.then == Then::UploadAnother)
            second = upload(session, "/c.bin", fresh);
        else
            second = session.listFolder("/", entries);
        EXPECT_EQ(second.ok(), c.secondOk) << second.message();
        session.close();
        if (c.after) {
            std::ifstream in(b, std::ios::binary);
            EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == *c.after);
        } else if (c.secondOk) {
            EXPECT_FALSE(std::filesystem::exists(b));
        }
    }
}

} // namespace
