// Explicit FTP over TLS against the real test server: the command order, both
// transfers byte-exact over encrypted data connections that resume the control
// connection's session, servers with and without TLS, and clean failures.

#include "session_test_helpers.h"

#include "support/scripted_questions.h"
#include "support/test_certificates.h"

#include <csignal>
#include <thread>

using namespace session_test;
using ftp::ErrorKind;
using ftp::TransferDirection;

namespace {

ftp::SessionOptions trustingTestAuthority()
{
    ftp::SessionOptions options;
    options.timeout = 5000ms;
    options.tls.authorityFile = testCertificate("ca.pem");
    return options;
}

ftp::Status openOn(ftp::Session& session, const TestFtpServer& server, const std::string& host = "127.0.0.1")
{
    return session.open(host, std::uint16_t(server.port()), TestFtpServer::user(), TestFtpServer::password());
}

std::vector<std::string> commandsBefore(const TestFtpServer& server, const std::string& stop)
{
    std::vector<std::string> lines;
    for (const auto& line : server.commandLog()) {
        if (line == stop)
            break;
        lines.push_back(line);
    }
    return lines;
}

class TlsTransfer : public testing::TestWithParam<std::size_t> {};

} // namespace

TEST_P(TlsTransfer, BothDirectionsAreByteExactOverResumedEncryptedDataConnections)
{
    TestFtpServer server({"--tls-required"});
    const std::size_t size = GetParam();
    server.writePatternFile("data.bin", size);
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    EXPECT_EQ(session.encryption().rfind("TLSv1.", 0), 0u) << session.encryption();

    ASSERT_TRUE(session.openFile("/data.bin", TransferDirection::Download).ok());
    const Download got = download(session);
    EXPECT_TRUE(got.readStatus.ok() && got.closeStatus.ok()) << got.closeStatus.message();
    EXPECT_TRUE(got.bytes == patternBytes(size));

    ASSERT_TRUE(session.openFile("/up.bin", TransferDirection::Upload).ok());
    const ftp::Status uploaded = upload(session, patternBytes(size));
    EXPECT_TRUE(uploaded.ok()) << uploaded.message();
    EXPECT_TRUE(server.readFile("up.bin") == patternBytes(size)) << server.readFile("up.bin").size();

    std::vector<ftp::ListEntry> entries;
    EXPECT_TRUE(session.listFolder("/", entries).ok());
    EXPECT_EQ(entries.size(), 2u);
    // Every data connection resumed the control connection's session.
    EXPECT_EQ(logCount(server, "DATA TLS RESUMED"), 3u);
    EXPECT_EQ(logCount(server, "DATA TLS NEW"), 0u);
    EXPECT_EQ(commandsBefore(server, "USER test"), (std::vector<std::string>{"AUTH TLS", "PBSZ 0", "PROT P"}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, TlsTransfer, testing::Values(0, 1, 1025, 20 * 1024 * 1024),
                         [](const auto& info) { return "bytes_" + std::to_string(info.param); });

TEST(Tls, ServerWithoutTlsIsUsedInClear)
{
    TestFtpServer server;
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    EXPECT_EQ(session.encryption(), "");
    EXPECT_EQ(commandsBefore(server, "USER test"), std::vector<std::string>{"AUTH TLS"});
    expectUsable(session);
}

TEST(Tls, ServerTakingDataProtectionOnlyAfterLogonGetsItThen)
{
    TestFtpServer server({"--tls", "--tls-protect-after-login"});
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    std::vector<ftp::ListEntry> entries;
    EXPECT_TRUE(session.listFolder("/", entries).ok());
    EXPECT_EQ(commandsBefore(server, "FEAT"),
              (std::vector<std::string>{"AUTH TLS", "PBSZ 0", "USER test", "PASS ******", "PBSZ 0", "PROT P"}));
    EXPECT_EQ(logCount(server, "DATA TLS RESUMED"), 1u);
}

TEST(Tls, LoggingOnAgainAfterAnIdleDropEncryptsAgain)
{
    TestFtpServer server({"--tls-required", "--idle-close", "0.3"});
    server.writeFile("a.txt", "a");
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    std::this_thread::sleep_for(600ms);
    std::vector<ftp::ListEntry> entries;
    ASSERT_TRUE(session.listFolder("/", entries).ok());
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_EQ(logCount(server, "AUTH TLS"), 2u);
    EXPECT_EQ(logCount(server, "DATA TLS RESUMED"), 1u);
    EXPECT_NE(session.encryption(), "");
}

TEST(Tls, WhatTheUserInsistsOnOrTheSessionHadIsNeverGivenUp)
{
    struct Case {
        const char* name;
        std::vector<std::string> serverOptions;
        ftp::TlsMode mode;
        bool loggedOn;        // the first logon
        bool afterIdleDrop;   // and the one after the server dropped the idle link
        std::vector<std::string> logStart;
    };
    const Case cases[] = {
        {"implicit TLS", {"--tls-implicit"}, ftp::TlsMode::Implicit, true, true,
         {"IMPLICIT TLS", "PBSZ 0", "PROT P", "USER test"}},
        {"required, refused", {}, ftp::TlsMode::Required, false, false, {"AUTH TLS"}},
        {"required, offered", {"--tls"}, ftp::TlsMode::Required, true, true, {"AUTH TLS", "PBSZ 0", "PROT P", "USER test"}},
        {"stripped after an idle drop", {"--tls-first-logon-only"}, ftp::TlsMode::WhenOffered, true, false,
         {"AUTH TLS", "PBSZ 0", "PROT P", "USER test"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> options = c.serverOptions;
        // Long enough for a logon under the sanitizers, short enough to wait out.
        options.insert(options.end(), {"--idle-close", "1"});
        TestFtpServer server(options);
        auto sessionOptions = trustingTestAuthority();
        sessionOptions.tlsMode = c.mode;
        ftp::Session session(sessionOptions);
        const ftp::Status logon = openOn(session, server);
        EXPECT_EQ(logon.ok(), c.loggedOn) << logon.message();
        if (c.loggedOn) {
            std::this_thread::sleep_for(1500ms);
            std::vector<ftp::ListEntry> entries;
            const ftp::Status listed = session.listFolder("/", entries);
            EXPECT_EQ(listed.ok(), c.afterIdleDrop) << listed.message();
            if (!c.afterIdleDrop) {
                EXPECT_EQ(listed.kind(), ErrorKind::Insecure);
            }
        } else {
            EXPECT_EQ(logon.kind(), ErrorKind::Insecure);
        }
        const auto log = server.commandLog();
        ASSERT_GE(log.size(), c.logStart.size());
        EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + long(c.logStart.size())), c.logStart);
        // Credentials went out only over encryption: one USER per encrypted logon.
        EXPECT_EQ(logCount(server, "USER test"), std::size_t(c.loggedOn) * (1 + std::size_t(c.afterIdleDrop)));
    }
}

TEST(Tls, StrayTransferEndAfterARefusedDownloadLeavesNoReplyBehind)
{
    TestFtpServer server({"--tls"});
    server.writeFile("a.txt", "abc");
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(session.openFile("/missing.txt", TransferDirection::Download).kind(), ErrorKind::Refused);
        std::string folder;
        ASSERT_TRUE(session.printWorkingDirectory(folder).ok());
        EXPECT_EQ(folder, "/");
        ASSERT_TRUE(session.openFile("/a.txt", TransferDirection::Download).ok());
        const Download got = download(session);
        EXPECT_TRUE(got.closeStatus.ok()) << got.closeStatus.message();
        EXPECT_EQ(got.bytes, "abc");
    }
}

TEST(Tls, TrustedCertificateIsUsedWithoutAskingUnderItsDnsName)
{
    TestFtpServer server({"--tls"});
    auto options = trustingTestAuthority();
    ScriptedQuestions questions;
    options.questions = questions;
    ftp::Session session(options);
    ASSERT_TRUE(openOn(session, server, "localhost").ok());
    EXPECT_TRUE(questions.certificates.empty());
}

TEST(Tls, RefusedCertificateOrDeclinedClearTextSendsNothingMore)
{
    struct Case {
        std::vector<std::string> serverOptions;
        bool certificateQuestion;  // else the clear-text question
    };
    for (const Case& c : {Case{{"--tls", "--tls-cert", testCertificate("self_signed.pem")}, true},
                          Case{{}, false}}) {
        TestFtpServer server(c.serverOptions);
        auto options = trustingTestAuthority();
        ScriptedQuestions questions;
        questions.clearTextAnswer = false;
        options.questions = questions;
        ftp::Session session(options);
        const ftp::Status status = openOn(session, server);
        EXPECT_EQ(status.kind(), ErrorKind::Insecure) << status.message();
        EXPECT_EQ(questions.certificates.size(), c.certificateQuestion ? 1u : 0u);
        EXPECT_EQ(questions.clearTextAsked, c.certificateQuestion ? 0 : 1);
        EXPECT_EQ(server.commandLog(), std::vector<std::string>{"AUTH TLS"});
        EXPECT_FALSE(session.isOpen());
        session.close();
    }
}

TEST(Tls, CutEncryptedTransferFailsAndSessionGoesOn)
{
    // The program does not ignore SIGPIPE: should a write meet the hung-up server, it must not raise it.
    std::signal(SIGPIPE, SIG_DFL);
    for (const auto direction : {TransferDirection::Download, TransferDirection::Upload}) {
        TestFtpServer server({"--tls", "--cut-after", "100000", "--fail-stor-after", "100000"});
        server.writePatternFile("big.bin", 4 * 1024 * 1024);
        ftp::Session session(trustingTestAuthority());
        ASSERT_TRUE(openOn(session, server).ok());
        ASSERT_TRUE(session.openFile("/big.bin", direction).ok());
        if (direction == TransferDirection::Download) {
            const Download got = download(session);
            EXPECT_FALSE(got.readStatus.ok() && got.closeStatus.ok());
            EXPECT_LE(got.bytes.size(), 100000u);
        } else {
            EXPECT_FALSE(upload(session, patternBytes(4 * 1024 * 1024)).ok());
        }
        expectUsable(session);
    }
}

TEST(Tls, AbortedDownloadLeavesTheSessionResumableForTheNextDataConnection)
{
    // An aborted download drops its encrypted connection unfinished; the data
    // connections after it must still resume the control connection's session.
    for (const char* version : {"--tls12", "--tls"}) {
        SCOPED_TRACE(version);
        TestFtpServer server({"--tls", version});
        server.writePatternFile("big.bin", 16 * 1024 * 1024);
        server.writeFile("small.txt", "small");
        ftp::Session session(trustingTestAuthority());
        ASSERT_TRUE(openOn(session, server).ok());
        ASSERT_TRUE(session.openFile("/big.bin", TransferDirection::Download).ok());
        char block[1024];
        std::size_t count = 0;
        ASSERT_TRUE(session.read(block, sizeof block, count).ok());
        EXPECT_FALSE(session.closeFile().ok());
        ASSERT_TRUE(session.openFile("/small.txt", TransferDirection::Download).ok());
        const Download got = download(session);
        EXPECT_TRUE(got.closeStatus.ok()) << got.closeStatus.message();
        EXPECT_EQ(got.bytes, "small");
        EXPECT_EQ(logCount(server, "DATA TLS NEW"), 0u);
    }
}

TEST(Tls, FatalErrorSentInClearOnTheEncryptedConnectionIsShown)
{
    for (const char* verb : {"PASS", "PWD"}) {
        SCOPED_TRACE(verb);
        TestFtpServer server({"--tls", "--oops-in-clear", verb});
        ftp::Session session(trustingTestAuthority());
        ftp::Status status = openOn(session, server);
        if (status.ok()) {
            std::string path;
            status = session.printWorkingDirectory(path);
        }
        EXPECT_NE(status.message().find("500 OOPS: cannot change directory:/home/test"), std::string::npos)
            << status.message();
    }
}

TEST(Tls, FailedHandshakeFailsCleanlyAndCloses)
{
    // The server agrees to AUTH TLS but never speaks TLS: the deadline ends the handshake.
    TestFtpServer server({"--reply", "AUTH=234 Go ahead"});
    auto options = trustingTestAuthority();
    options.timeout = 1000ms;
    ftp::Session session(options);
    const ftp::Status status = openOn(session, server);
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(status.kind() == ErrorKind::Network || status.kind() == ErrorKind::Timeout) << status.message();
    EXPECT_FALSE(session.isOpen());
    session.close();
    EXPECT_EQ(logCount(server, "USER"), 0u);
}

namespace {

struct EndWithoutCloseNotify {
    const char* name;
    std::vector<std::string> serverOptions;
    bool listing;  // else a download of a 100000-byte file
    bool accepted;
};

void PrintTo(const EndWithoutCloseNotify& c, std::ostream* out) { *out << c.name; }

class DataEndWithoutCloseNotify : public testing::TestWithParam<EndWithoutCloseNotify> {};

// Lists "/" (holding data.bin alone), or downloads /data.bin, `size` bytes
// long: the first failure, and a listing or file that is whole on success.
ftp::Status listOrDownload(ftp::Session& session, bool listing, std::size_t size)
{
    if (listing) {
        std::vector<ftp::ListEntry> entries;
        const ftp::Status status = session.listFolder("/", entries);
        EXPECT_EQ(entries.size(), status.ok() ? 1u : 0u);
        return status;
    }
    if (ftp::Status s = session.openFile("/data.bin", TransferDirection::Download); !s.ok())
        return s;
    const Download got = download(session);
    const ftp::Status status = got.readStatus.ok() ? got.closeStatus : got.readStatus;
    if (status.ok()) {
        EXPECT_TRUE(got.bytes == patternBytes(size));
    }
    return status;
}

} // namespace

// Anyone on the path can end an encrypted data connection with a bare TCP
// close while the server says 226: only the size the server gave over the
// protected control connection can vouch for what came.
TEST_P(DataEndWithoutCloseNotify, CountsAsABrokenTransferUnlessTheGivenSizeArrived)
{
    const EndWithoutCloseNotify& c = GetParam();
    std::vector<std::string> options{"--tls"};
    options.insert(options.end(), c.serverOptions.begin(), c.serverOptions.end());
    TestFtpServer server(options);
    server.writePatternFile("data.bin", 100000);
    ftp::Session session(trustingTestAuthority());
    ASSERT_TRUE(openOn(session, server).ok());
    const ftp::Status status = listOrDownload(session, c.listing, 100000);
    EXPECT_EQ(status.ok(), c.accepted) << status.message();
    if (!c.accepted) {
        EXPECT_NE(status.message().find("broke off"), std::string::npos) << status.message();
    }
    expectUsable(session);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataEndWithoutCloseNotify,
    testing::Values(
        EndWithoutCloseNotify{"download_with_close_notify_without_size", {"--no-size"}, false, true},
        EndWithoutCloseNotify{"download_whose_size_was_given", {"--data-no-close-notify"}, false, true},
        EndWithoutCloseNotify{"download_without_size", {"--data-no-close-notify", "--no-size"}, false, false},
        EndWithoutCloseNotify{"cut_download_without_size",
                              {"--data-no-close-notify", "--no-size", "--short-retr", "5000"}, false, false},
        EndWithoutCloseNotify{"cut_download_with_size", {"--data-no-close-notify", "--short-retr", "5000"}, false, false},
        EndWithoutCloseNotify{"download_under_tls12", {"--data-no-close-notify", "--no-size", "--tls12"}, false, false},
        EndWithoutCloseNotify{"mlsd_listing", {"--data-no-close-notify"}, true, false},
        EndWithoutCloseNotify{"list_listing", {"--data-no-close-notify", "--no-mlst"}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Tls, RenegotiationAskedByTheServerIsRefusedOnControlAndDataConnections)
{
    // A renegotiation could bring in a certificate nobody checked. Refused, it
    // never takes place, and nothing waits for the deadline.
    for (const char* command : {"PWD", "RETR", "MLSD"}) {
        SCOPED_TRACE(command);
        TestFtpServer server({"--tls", "--renegotiate", command});
        server.writePatternFile("data.bin", 100000);
        ftp::Session session(trustingTestAuthority());
        ASSERT_TRUE(openOn(session, server).ok());
        const bool control = std::string(command) == "PWD";
        std::string path;
        ftp::Status status = control ? session.printWorkingDirectory(path)
                                     : listOrDownload(session, std::string(command) == "MLSD", 100000);
        // The server drops the control connection at the refusal: PWD is asked
        // again on a new one. A server still sending on a data connection may
        // never read the refusal and end the transfer whole.
        if (control && status.ok())
            status = session.printWorkingDirectory(path);
        EXPECT_EQ(logCount(server, "TLS RENEGOTIATED"), 0u);
        EXPECT_NE(status.kind(), ErrorKind::Timeout) << status.message();
        EXPECT_TRUE(status.ok() || !control) << status.message();
        expectUsable(session);
    }
}
