// A misbehaving server: every fault fails its operation cleanly, nothing is
// passed off as complete, and the session stays usable or at least closable.

#include "session_test_helpers.h"

#include "ftp/ftp_session.h"
#include "support/test_ftp_server.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace session_test;
using ftp::ErrorKind;
using ftp::TransferDirection;

namespace {

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// After a broken control connection: nothing is open, close() is safe, and the
// next operation logs on again and works (CWD where PWD is the faulty command).
void expectBrokenThenLoggedOnAgain(ftp::Session& session, bool pwdIsFaulty = false)
{
    EXPECT_FALSE(session.isOpen());
    EXPECT_FALSE(session.isFileOpen());
    std::string path;
    const ftp::Status later = pwdIsFaulty ? session.changeDirectory("/") : session.printWorkingDirectory(path);
    EXPECT_TRUE(later.ok()) << later.message();
    EXPECT_TRUE(session.isOpen());
    session.close();
    session.close();
}

} // namespace

// First in this file, so that the peak memory it measures is its own.
TEST(EndlessLine, ReplyThatNeverEndsFailsWithProtocolAndBoundedMemory)
{
    TestFtpServer server({"--endless-line", "PWD"});
    auto session = logOn(server);
    const long before = peakMemoryKiB();
    std::string path;
    const ftp::Status status = session->printWorkingDirectory(path);
    EXPECT_EQ(status.kind(), ErrorKind::Protocol) << status.message();
    EXPECT_TRUE(path.empty());
    // The server sends 16 MiB without a line end; we keep at most one line's worth.
    EXPECT_LT(peakMemoryKiB() - before, 4 * 1024);
    expectBrokenThenLoggedOnAgain(*session, true);
}

TEST(EndlessLine, EndlessGreetingFailsTheLogon)
{
    TestFtpServer server({"--endless-line", "GREETING"});
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    const ftp::Status status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret");
    EXPECT_EQ(status.kind(), ErrorKind::Protocol);
    EXPECT_FALSE(session.isOpen());
    session.close();
}

TEST(EndlessLine, EndlessReplyToATransferLeavesNothingOpen)
{
    TestFtpServer server({"--endless-line", "RETR"});
    server.writePatternFile("a.bin", 10);
    auto session = logOn(server);
    EXPECT_EQ(session->openFile("/a.bin", TransferDirection::Download).kind(), ErrorKind::Protocol);
    expectBrokenThenLoggedOnAgain(*session);
}

TEST(RefusedTransfers, RetrRefusedLeavesNothingOpen)
{
    TestFtpServer server({"--refuse-retr", "secret.bin"});
    server.writePatternFile("secret.bin", 100);
    server.writePatternFile("open.bin", 100);
    auto session = logOn(server);
    const ftp::Status status = session->openFile("/secret.bin", TransferDirection::Download);
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 550);
    EXPECT_NE(status.message().find("Refused by the test server"), std::string::npos) << status.message();
    EXPECT_FALSE(session->isFileOpen());
    ASSERT_TRUE(session->openFile("/open.bin", TransferDirection::Download).ok());
    const Download result = download(*session);
    EXPECT_TRUE(result.closeStatus.ok());
    EXPECT_TRUE(result.bytes == patternBytes(100));
}

TEST(RefusedTransfers, StorRefusedLeavesTheExistingFileAlone)
{
    TestFtpServer server({"--refuse-stor", "keep.txt"});
    server.writeFile("keep.txt", "precious");
    auto session = logOn(server);
    const ftp::Status status = session->openFile("/keep.txt", TransferDirection::Upload);
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 550);
    EXPECT_FALSE(session->isFileOpen());
    EXPECT_EQ(server.readFile("keep.txt"), "precious");
    expectUsable(*session);
}

TEST(CutDownload, DataCutShortIsNeverComplete)
{
    TestFtpServer server({"--cut-after", "5000"});
    server.writePatternFile("long.bin", 100000);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/long.bin", TransferDirection::Download).ok());
    const Download result = download(*session);
    EXPECT_LE(result.bytes.size(), 5000u);
    // The stream ended early and the server said 426: the read that met the end fails.
    EXPECT_FALSE(result.readStatus.ok());
    EXPECT_EQ(result.readStatus.replyCode(), 426) << result.readStatus.message();
    EXPECT_FALSE(result.closeStatus.ok());
    EXPECT_FALSE(session->isFileOpen());
    expectUsable(*session);
}

TEST(CutDownload, FileShorterThanTheCutArrivesWhole)
{
    TestFtpServer server({"--cut-after", "5000"});
    server.writePatternFile("short.bin", 4999);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/short.bin", TransferDirection::Download).ok());
    const Download result = download(*session);
    EXPECT_TRUE(result.readStatus.ok()) << result.readStatus.message();
    EXPECT_TRUE(result.closeStatus.ok()) << result.closeStatus.message();
    EXPECT_TRUE(result.bytes == patternBytes(4999));
}

TEST(FailedUpload, ServerStoppingAfterSomeBytesFailsTheUpload)
{
    // Small enough to sit in the engine's buffer until closeFile(), and large
    // enough to be cut while it streams.
    for (std::size_t size : {std::size_t(30000), std::size_t(20 * 1024 * 1024)}) {
        SCOPED_TRACE(size);
        TestFtpServer server({"--fail-stor-after", "10000"});
        auto session = logOn(server);
        ASSERT_TRUE(session->openFile("/up.bin", TransferDirection::Upload).ok());
        ftp::Status writeStatus;
        const ftp::Status closed = upload(*session, patternBytes(size), &writeStatus);
        EXPECT_FALSE(closed.ok());
        EXPECT_EQ(closed.replyCode(), 451) << closed.message();
        EXPECT_FALSE(session->isFileOpen());
        expectUsable(*session);
    }
}

TEST(Stall, UnansweredCommandTimesOutAndBreaksTheSession)
{
    TestFtpServer server({"--stall", "CWD"});
    auto session = logOn(server, std::chrono::milliseconds(1000));
    const ftp::Status status = session->changeDirectory("/");
    EXPECT_EQ(status.kind(), ErrorKind::Timeout);
    expectBrokenThenLoggedOnAgain(*session);
}

TEST(Stall, SilentGreetingTimesOutTheLogon)
{
    TestFtpServer server({"--stall", "GREETING"});
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(1000)});
    EXPECT_EQ(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").kind(), ErrorKind::Timeout);
    EXPECT_FALSE(session.isOpen());
    session.close();
}

TEST(Stall, UnansweredRetrLeavesNothingOpen)
{
    TestFtpServer server({"--stall", "RETR"});
    server.writePatternFile("a.bin", 10);
    auto session = logOn(server, std::chrono::milliseconds(1000));
    EXPECT_EQ(session->openFile("/a.bin", TransferDirection::Download).kind(), ErrorKind::Timeout);
    expectBrokenThenLoggedOnAgain(*session);
}

TEST(Stall, UnansweredListingTimesOut)
{
    TestFtpServer server({"--stall", "LIST/MLSD"});
    auto session = logOn(server, std::chrono::milliseconds(1000));
    std::vector<ftp::ListEntry> entries;
    EXPECT_EQ(session->listFolder("/", entries).kind(), ErrorKind::Timeout);
    EXPECT_TRUE(entries.empty());
    expectBrokenThenLoggedOnAgain(*session);
}

TEST(ForeignPasv, DataGoesToTheControlPeerAndEpsvIsNotAskedAgain)
{
    TestFtpServer server({"--foreign-pasv"});
    server.writePatternFile("a.bin", 3000);
    auto session = logOn(server);
    std::vector<ftp::ListEntry> entries;
    const ftp::Status listed = session->listFolder("/", entries);
    ASSERT_TRUE(listed.ok()) << listed.message();
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(session->openFile("/a.bin", TransferDirection::Download).ok());
    const Download result = download(*session);
    EXPECT_TRUE(result.closeStatus.ok()) << result.closeStatus.message();
    EXPECT_TRUE(result.bytes == patternBytes(3000));
    ASSERT_TRUE(session->openFile("/b.bin", TransferDirection::Upload).ok());
    EXPECT_TRUE(upload(*session, "bee").ok());
    EXPECT_EQ(server.readFile("b.bin"), "bee");
    EXPECT_EQ(logCount(server, "EPSV"), 1u);
    EXPECT_EQ(logCount(server, "PASV"), 3u);
}

TEST(RefusedPassive, NoPassiveModeFailsTheTransferNotTheSession)
{
    TestFtpServer server({"--reply", "EPSV=502 No", "--reply", "PASV=425 Cannot open passive connection"});
    server.writePatternFile("a.bin", 10);
    auto session = logOn(server);
    const ftp::Status status = session->openFile("/a.bin", TransferDirection::Download);
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 425);
    EXPECT_FALSE(session->isFileOpen());
    EXPECT_EQ(logCount(server, "RETR"), 0u);
    expectUsable(*session);
}

TEST(RefusedPassive, ARefusalThatClosesThePassivePortIsShownAndKeepsTheSession)
{
    // Port 1 takes no connection, as a listener the server closed on refusing RETR.
    TestFtpServer server({"--reply", "EPSV=229 Entering Extended Passive Mode (|||1|)", "--refuse-retr", "a.bin"});
    server.writePatternFile("a.bin", 10);
    auto session = logOn(server);
    const ftp::Status status = session->openFile("/a.bin", TransferDirection::Download);
    EXPECT_EQ(status.kind(), ErrorKind::Refused) << status.message();
    EXPECT_EQ(status.replyCode(), 550) << status.message();
    expectUsable(*session);
    EXPECT_EQ(logCount(server, "USER"), 1u);
}

TEST(ServerClosing, Reply421DropsTheSessionAndTheNextCallLogsOnAgain)
{
    TestFtpServer server({"--reply", "DELE=421 Service shutting down"});
    auto session = logOn(server);
    const ftp::Status status = session->deleteFile("/a.txt");
    EXPECT_EQ(status.replyCode(), 421);
    EXPECT_FALSE(session->isOpen());
    // "421" says DELE did not run: it goes out once more after a new logon, and no more.
    EXPECT_EQ(logCount(server, "DELE /a.txt"), 2u);
    EXPECT_EQ(logCount(server, "USER"), 2u);
    expectUsable(*session);
}

namespace {

// A server that confirms a transfer it did not make whole, or gives a digest.
struct IntegrityCase {
    const char* name;
    std::vector<std::string> options;
    TransferDirection direction;
    std::size_t arrives;       // a download's bytes received, when it passes
    const char* failure;       // part of the failure's message; nullptr: it passes
    const char* asked;         // a command the check must have sent, or nullptr
};

const IntegrityCase integrityCases[] = {
    {"ShortDownload", {"--short-retr", "500"}, TransferDirection::Download, 0, "500 of 1000 bytes arrived", "SIZE /f.bin"},
    {"LongerDownload", {"--long-retr", "500", "--hash", "SHA-256*"}, TransferDirection::Download, 1500, nullptr, nullptr},
    {"NoSizeFeature", {"--short-retr", "500", "--no-size"}, TransferDirection::Download, 500, nullptr, nullptr},
    {"DroppedUpload", {"--drop-stor"}, TransferDirection::Upload, 0, "has 0 bytes where 1000 were sent", "SIZE /f.bin"},
    {"WrongHash", {"--hash", "SHA-256*;SHA-1;MD5", "--lie-hash"}, TransferDirection::Download, 0, "SHA-256 digest differs", "HASH /f.bin"},
    {"WrongXsha", {"--xsha", "--lie-hash"}, TransferDirection::Download, 0, "SHA-256 digest differs", "XSHA256 /f.bin"},
    {"RightHashAfterSelecting", {"--hash", "MD5*;SHA-1"}, TransferDirection::Download, 1000, nullptr, "OPTS HASH SHA-1"},
    {"RightXsha", {"--xsha"}, TransferDirection::Download, 1000, nullptr, "XSHA256 /f.bin"},
    {"WrongHashAfterAComment", {"--hash", "SHA-256*", "--digest-proftpd", "--lie-hash"}, TransferDirection::Download, 0, "SHA-256 digest differs", "HASH /f.bin"},
    {"WrongXshaAs250", {"--xsha", "--digest-proftpd", "--lie-hash"}, TransferDirection::Download, 0, "SHA-256 digest differs", "XSHA256 /f.bin"},
    {"RightXshaAs250", {"--xsha", "--digest-proftpd"}, TransferDirection::Download, 1000, nullptr, "XSHA256 /f.bin"},
    {"RefusedHash", {"--hash", "SHA-256*", "--reply", "HASH=502 No"}, TransferDirection::Download, 1000, nullptr, "HASH /f.bin"},
};

void PrintTo(const IntegrityCase& c, std::ostream* out) { *out << c.name; }

class Integrity : public testing::TestWithParam<IntegrityCase> {};

} // namespace

TEST_P(Integrity, ConfirmedTransferPassesOnlyWhenWhole)
{
    const IntegrityCase& c = GetParam();
    TestFtpServer server(c.options);
    server.writePatternFile("f.bin", 1000);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/f.bin", c.direction).ok());
    ftp::Status status;
    if (c.direction == TransferDirection::Download) {
        const Download result = download(*session);
        status = result.readStatus;
        EXPECT_EQ(result.closeStatus.ok(), status.ok()) << result.closeStatus.message();
        if (c.failure == nullptr) {
            EXPECT_EQ(result.bytes.size(), c.arrives);
        }
    } else {
        status = upload(*session, patternBytes(1000));
    }
    if (c.failure == nullptr) {
        EXPECT_TRUE(status.ok()) << status.message();
    } else {
        EXPECT_NE(status.message().find(c.failure), std::string::npos) << status.message();
    }
    if (c.asked != nullptr) {
        const bool downloaded = c.direction == TransferDirection::Download;
        const auto log = server.commandLog();
        const auto transfer = std::find(log.begin(), log.end(), downloaded ? "RETR /f.bin" : "STOR /f.bin");
        const auto asked = std::find(log.begin(), log.end(), c.asked);
        ASSERT_NE(asked, log.end()) << c.asked;
        // A download's size is asked before RETR; everything else once the transfer is over.
        EXPECT_EQ(asked < transfer, downloaded && std::string(c.asked).rfind("SIZE", 0) == 0);
    }
    EXPECT_FALSE(session->isFileOpen());
    expectUsable(*session);
}

INSTANTIATE_TEST_SUITE_P(Server, Integrity, testing::ValuesIn(integrityCases),
                         [](const testing::TestParamInfo<IntegrityCase>& info) { return info.param.name; });
