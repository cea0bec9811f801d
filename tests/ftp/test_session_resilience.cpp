// Servers as they are met in the wild: they drop idle connections, answer an
// abort with less than they should, keep a command waiting with "150" lines,
// list more than anyone can hold, and hide folders behind symbolic links.

#include "session_test_helpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace session_test;
using ftp::ErrorKind;
using ftp::TransferDirection;

namespace {

int folderCount(const std::vector<ftp::ListEntry>& entries)
{
    return int(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.isFolder; }));
}

} // namespace

TEST(IdleDrop, ListingDeleteAndDownloadWorkAfterTheServerClosedTheConnection)
{
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "closed without a word" : "closed with 421");
        std::vector<std::string> options{"--idle-close", "0.3"};
        if (silent)
            options.push_back("--idle-close-silent");
        TestFtpServer server(options);
        server.writeFile("a.txt", "a");
        server.writeFile("b.txt", "bb");
        auto session = logOn(server);
        std::vector<ftp::ListEntry> entries;

        std::this_thread::sleep_for(600ms);
        ASSERT_TRUE(session->listFolder("/", entries).ok());
        EXPECT_EQ(entries.size(), 2u);
        std::this_thread::sleep_for(600ms);
        EXPECT_TRUE(session->deleteFile("/a.txt").ok());
        EXPECT_FALSE(server.exists("a.txt"));
        std::this_thread::sleep_for(600ms);
        ASSERT_TRUE(session->openFile("/b.txt", TransferDirection::Download).ok());
        EXPECT_EQ(download(*session).bytes, "bb");
        EXPECT_EQ(logCount(server, "USER"), 4u);  // the first logon, then one per drop
    }
}

TEST(IdleDrop, CommandCutOffUnansweredIsRepeatedOnlyWhenHarmless)
{
    struct Case {
        const char* verb;
        std::size_t sent;  // times the server saw it: twice means repeated once after a new logon
    };
    for (const Case& c : {Case{"PWD", 2}, Case{"DELE", 1}, Case{"MKD", 1}}) {
        SCOPED_TRACE(c.verb);
        TestFtpServer server({"--hang-up", c.verb});
        server.writeFile("a.txt", "a");
        auto session = logOn(server);
        std::string path;
        const std::string verb = c.verb;
        const ftp::Status status = verb == "PWD" ? session->printWorkingDirectory(path)
                                   : verb == "DELE" ? session->deleteFile("/a.txt")
                                                    : session->makeDirectory("/new");
        EXPECT_EQ(status.kind(), ErrorKind::Network) << status.message();
        EXPECT_EQ(logCount(server, verb), c.sent);
    }
}

TEST(IdleDrop, ServerGoneFailsTheListingAsALostConnection)
{
    auto server = std::make_unique<TestFtpServer>();
    auto session = logOn(*server);
    server.reset();
    std::vector<ftp::ListEntry> entries;
    EXPECT_FALSE(session->listFolder("/", entries).ok());
    EXPECT_FALSE(session->isOpen());
}

TEST(AbortedDownload, DownloadLeftEarlyIsAbortedAndTheSessionGoesOn)
{
    struct Case {
        const char* name;
        const char* option;
        std::size_t size;
    };
    for (const Case& c : {Case{"426 and 226", nullptr, 32 * 1024 * 1024},
                          Case{"150 only", "--abor-preliminary", 32 * 1024 * 1024},
                          // ProFTPD over TLS: ABOR's "226" first, the transfer's "426" after it.
                          Case{"226, then a late 426", "--abor-done-first", 32 * 1024 * 1024},
                          // The transfer's 226 crosses ABOR; ABOR's answer comes after a pause.
                          Case{"226, then ABOR's answer late", "--end-crosses-abor", 64 * 1024}}) {
        SCOPED_TRACE(c.name);
        TestFtpServer server(c.option ? std::vector<std::string>{c.option} : std::vector<std::string>{});
        server.writePatternFile("big.bin", c.size);
        auto session = logOn(server, 1500ms);
        ASSERT_TRUE(session->openFile("/big.bin", TransferDirection::Download).ok());
        char block[1024];
        std::size_t count = 0;
        ASSERT_TRUE(session->read(block, sizeof block, count).ok());
        std::this_thread::sleep_for(100ms);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(session->closeFile().ok());
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // no wait for replies that never come
        EXPECT_TRUE(logHas(server, "ABOR"));
        std::string path;
        EXPECT_TRUE(session->printWorkingDirectory(path).ok());
        EXPECT_EQ(path, "/");
        std::vector<ftp::ListEntry> entries;
        EXPECT_TRUE(session->listFolder("/", entries).ok());
        EXPECT_EQ(entries.size(), 1u);
    }
}

TEST(PreliminaryReplies, TrickleAndFloodEndAtOneDeadline)
{
    struct Case {
        const char* option;
        const char* verb;
        ErrorKind kind;
    };
    for (const Case& c : {Case{"--trickle", "PWD", ErrorKind::Timeout}, Case{"--flood", "PWD", ErrorKind::Protocol},
                          Case{"--trickle", "RETR", ErrorKind::Timeout}}) {
        SCOPED_TRACE(std::string(c.option) + " " + c.verb);
        TestFtpServer server({c.option, c.verb});
        server.writeFile("f.bin", "data");
        auto session = logOn(server, 1500ms);
        const auto start = std::chrono::steady_clock::now();
        ftp::Status status;
        if (std::string(c.verb) == "PWD") {
            std::string path;
            status = session->printWorkingDirectory(path);
        } else {
            // The data connection stays silent while the control connection trickles.
            ASSERT_TRUE(session->openFile("/f.bin", TransferDirection::Download).ok());
            status = download(*session).readStatus;
        }
        EXPECT_EQ(status.kind(), c.kind) << status.message();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);  // not a fresh wait per line
        EXPECT_FALSE(session->isOpen());
    }
}

TEST(OversizedListing, MoreThanAMillionEntriesFailsCleanly)
{
    TestFtpServer server({"--huge-listing", "1000001"});
    auto session = logOn(server);
    std::vector<ftp::ListEntry> entries;
    const ftp::Status status = session->listFolder("/", entries);
    EXPECT_EQ(status.kind(), ErrorKind::Protocol) << status.message();
    EXPECT_TRUE(entries.empty());
    expectUsable(*session);
}

TEST(FolderLinks, LinksThatCwdEntersBecomeFoldersAtMost64PerListing)
{
    TestFtpServer server({"--no-mlst"});  // its LIST shows "public_html -> site": the target says nothing
    server.makeFolder("site");
    server.writeFile("a.txt", "a");
    server.makeLink("site", "public_html");
    server.makeLink("a.txt", "notes");
    server.makeLink("missing", "dangling");
    server.makeFolder("many");
    for (int i = 0; i < 70; ++i)
        server.makeLink("../site", "many/l" + std::to_string(i));
    auto session = logOn(server);
    ASSERT_TRUE(session->changeDirectory("/").ok());

    std::vector<ftp::ListEntry> entries;
    ASSERT_TRUE(session->listFolder("/", entries).ok());
    std::vector<std::string> folders;
    for (const auto& entry : entries) {
        if (entry.isFolder)
            folders.push_back(entry.name);
    }
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"many", "public_html", "site"}));
    ASSERT_TRUE(session->listFolder("/many", entries).ok());
    EXPECT_EQ(folderCount(entries), 64);
    // The server's working directory is where it was.
    std::string path;
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/");
}

TEST(TelnetIac, ByteFFInANameIsDoubledOnTheWireAndReadBackAsOne)
{
    TestFtpServer server({"--raw-names", "--telnet-iac"});
    auto session = logOn(server);
    const std::string folder = "/x\xffy";
    ASSERT_TRUE(session->makeDirectory(folder).ok());
    EXPECT_TRUE(server.exists("x\xffy"));
    ASSERT_TRUE(session->changeDirectory(folder).ok());
    std::string path;
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, folder);  // the reply quoted it doubled
}

TEST(TelnetIac, NamesHoldingByteFFWorkWhetherTheServerReadsTelnetOrTakesBytesAsTheyCome)
{
    // ProFTPD and the BSD ftpd read 0xFF as Telnet's IAC and want it doubled;
    // vsftpd, pure-ftpd and pyftpdlib take it as it comes.
    for (const bool readsTelnet : {true, false}) {
        SCOPED_TRACE(readsTelnet ? "reads Telnet" : "takes bytes as they come");
        std::vector<std::string> options{"--raw-names"};
        if (readsTelnet)
            options.push_back("--telnet-iac");
        TestFtpServer server(options);
        server.writeFile("a\xff" "b", "listed");
        auto session = logOn(server);
        std::vector<ftp::ListEntry> entries;
        ASSERT_TRUE(session->listFolder("/", entries).ok());
        ASSERT_EQ(entries.size(), 1u);
        ASSERT_TRUE(session->openFile("/" + entries[0].name, TransferDirection::Download).ok());
        const Download got = download(*session);
        EXPECT_TRUE(got.closeStatus.ok()) << got.closeStatus.message();
        EXPECT_EQ(got.bytes, "listed");
        // After 0xFF comes a byte that a lone IAC would turn into a Telnet command.
        ASSERT_TRUE(session->openFile("/u\xff\xf4p", TransferDirection::Upload).ok());
        EXPECT_TRUE(upload(*session, "sent").ok());
        EXPECT_EQ(server.readFile("u\xff\xf4p"), "sent");
        EXPECT_TRUE(session->makeDirectory("/d\xff" "d").ok());
        EXPECT_TRUE(server.exists("d\xff" "d"));
        EXPECT_EQ(logCount(server, "TYPE"), 2u + !readsTelnet);  // logon, the one question, binary again
    }
}
