// The commands each operation sends, in order, as the server logged them:
// what goes out ahead of its answer (SIZE with EPSV, a digest request with
// the transfer's end) and what is no longer asked at all (PWD and the walk
// back around every listing). The replies must still be taken in order,
// refusals in the middle included.

#include "session_test_helpers.h"
#include "support/held_string.h"

#include <thread>

using namespace session_test;
using ftp::TransferDirection;

namespace {

struct RoundTripCase {
    const char* name;
    std::vector<std::string> serverOptions;
    std::function<void(ftp::Session&)> operation;
    std::vector<std::string> commands;  // logged after the logon, expectUsable's PWD included
};

// The log from the first command after the logon on.
std::vector<std::string> commandsAfterLogon(const TestFtpServer& server)
{
    std::vector<std::string> log = server.commandLog();
    const auto last = std::find_if(log.rbegin(), log.rend(), [](const std::string& line) {
        return line == "TYPE I" || line == "OPTS UTF8 ON";
    });
    return std::vector<std::string>(last.base(), log.end());
}

// `more`: another transfer follows, as the transfer dialog says within a batch.
void downloads(ftp::Session& session, const std::string& path, const std::string& expected, bool more = false)
{
    ASSERT_TRUE(session.openFile(path, TransferDirection::Download).ok());
    if (more)
        session.anotherTransferFollows();
    const Download got = download(session);
    EXPECT_TRUE(got.readStatus.ok() && got.closeStatus.ok()) << got.closeStatus.message();
    EXPECT_EQ(got.bytes, expected);
}

void uploads(ftp::Session& session, const std::string& path, bool more)
{
    ASSERT_TRUE(session.openFile(path, TransferDirection::Upload).ok());
    if (more)
        session.anotherTransferFollows();
    ASSERT_TRUE(upload(session, "abc").ok());
}

void lists(ftp::Session& session, const std::string& path, std::size_t count)
{
    std::vector<ftp::ListEntry> entries;
    ASSERT_TRUE(session.listFolder(path, entries).ok());
    EXPECT_EQ(entries.size(), count);
}

} // namespace

TEST(RoundTrips, EachOperationSendsTheFewestCommandsAndReadsTheirRepliesInOrder)
{
    const RoundTripCase cases[] = {
        {"download", {}, [](ftp::Session& s) { downloads(s, "/f.txt", "12345"); },
         {"SIZE /f.txt", "EPSV", "RETR /f.txt", "PWD"}},
        {"download with a digest", {"--hash", "SHA-256*"}, [](ftp::Session& s) { downloads(s, "/f.txt", "12345"); },
         {"SIZE /f.txt", "EPSV", "RETR /f.txt", "HASH /f.txt", "PWD"}},
        {"download after selecting the digest", {"--hash", "MD5*;SHA-1"},
         [](ftp::Session& s) { downloads(s, "/f.txt", "12345"); },
         {"SIZE /f.txt", "EPSV", "RETR /f.txt", "OPTS HASH SHA-1", "HASH /f.txt", "PWD"}},
        {"SIZE refused between its pair", {"--reply", "SIZE=550 No size here"},
         [](ftp::Session& s) { downloads(s, "/f.txt", "12345"); }, {"SIZE /f.txt", "EPSV", "RETR /f.txt", "PWD"}},
        {"EPSV refused behind SIZE", {"--reply", "EPSV=500 Unknown"},
         [](ftp::Session& s) { downloads(s, "/f.txt", "12345"); }, {"SIZE /f.txt", "EPSV", "PASV", "RETR /f.txt", "PWD"}},
        {"upload", {},
         [](ftp::Session& s) {
             ASSERT_TRUE(s.openFile("/up.bin", TransferDirection::Upload).ok());
             ASSERT_TRUE(upload(s, "abc").ok());
         },
         {"EPSV", "STOR /up.bin", "SIZE /up.bin", "PWD"}},
        {"MLSD listing", {}, [](ftp::Session& s) { lists(s, "/sub", 1); }, {"EPSV", "MLSD /sub", "PWD"}},
        // Within a batch the next transfer's port is asked for while this one is checked.
        {"uploads in a batch", {},
         [](ftp::Session& s) {
             uploads(s, "/a.bin", true);
             uploads(s, "/b.bin", false);
         },
         {"EPSV", "STOR /a.bin", "SIZE /a.bin", "EPSV", "STOR /b.bin", "SIZE /b.bin", "PWD"}},
        {"downloads in a batch, with digests", {"--hash", "SHA-256*"},
         [](ftp::Session& s) {
             downloads(s, "/f.txt", "12345", true);
             downloads(s, "/sub/g.txt", "g");
         },
         {"SIZE /f.txt", "EPSV", "RETR /f.txt", "HASH /f.txt", "EPSV", "SIZE /sub/g.txt", "RETR /sub/g.txt",
          "HASH /sub/g.txt", "PWD"}},
        {"a batch on PASV", {"--reply", "EPSV=500 Unknown"},
         [](ftp::Session& s) {
             downloads(s, "/f.txt", "12345", true);
             downloads(s, "/f.txt", "12345");
         },
         {"SIZE /f.txt", "EPSV", "PASV", "RETR /f.txt", "PASV", "SIZE /f.txt", "RETR /f.txt", "PWD"}},
        {"a batch that ends early drops the port asked for", {},
         [](ftp::Session& s) {
             uploads(s, "/a.bin", true);
             ASSERT_TRUE(s.deleteFile("/a.bin").ok());
             lists(s, "/sub", 1);
         },
         {"EPSV", "STOR /a.bin", "SIZE /a.bin", "EPSV", "DELE /a.bin", "EPSV", "MLSD /sub", "PWD"}},
        {"a resumed download uses the port asked for", {},
         [](ftp::Session& s) {
             downloads(s, "/sub/g.txt", "g", true);
             std::uint64_t offset = 2;
             HeldString held("012");
             ASSERT_TRUE(s.resumeDownload("/f.txt", 5, {}, offset, held).ok());
             EXPECT_EQ(offset, 2u);
             EXPECT_EQ(download(s).bytes, "345");
         },
         {"SIZE /sub/g.txt", "EPSV", "RETR /sub/g.txt", "EPSV", "SIZE /f.txt", "REST 2", "RETR /f.txt", "PWD"}},
        {"a changed file resumed on the port asked for starts over", {},
         [](ftp::Session& s) {
             downloads(s, "/sub/g.txt", "g", true);
             std::uint64_t offset = 2;
             HeldString held("12");
             ASSERT_TRUE(s.resumeDownload("/f.txt", 6, {}, offset, held).ok());
             EXPECT_EQ(offset, 0u);
             EXPECT_EQ(download(s).bytes, "12345");
         },
         {"SIZE /sub/g.txt", "EPSV", "RETR /sub/g.txt", "EPSV", "SIZE /f.txt", "RETR /f.txt", "PWD"}},
        {"LIST listings walk no more than they must", {"--no-mlst"},
         [](ftp::Session& s) {
             lists(s, "/sub", 1);
             lists(s, "/sub", 1);
             lists(s, "/", 2);
             downloads(s, "/f.txt", "12345");
             std::string folder;
             ASSERT_TRUE(s.printWorkingDirectory(folder).ok());
             EXPECT_EQ(folder, "/");
         },
         // The folder the user stands in is remembered: neither PWD asks again.
         {"PWD", "CWD /sub", "EPSV", "LIST", "EPSV", "LIST", "CWD /", "EPSV", "LIST", "SIZE /f.txt", "EPSV",
          "RETR /f.txt"}},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestFtpServer server(c.serverOptions);
        server.writeFile("f.txt", "12345");
        server.makeFolder("sub");
        server.writeFile("sub/g.txt", "g");
        auto session = logOn(server);
        c.operation(*session);
        expectUsable(*session);
        EXPECT_EQ(commandsAfterLogon(server), c.commands);
    }
}

// A batch that stops after its port was asked for: the server gives the port
// up with a "421" of its own, which the next operation must take for a stray,
// not for its answer, and the port is never used.
TEST(RoundTrips, APortTheServerGaveUpOnIsNeverUsed)
{
    TestFtpServer server({"--passive-timeout", "0.5"});
    auto session = logOn(server);
    uploads(*session, "/a.bin", true);
    std::this_thread::sleep_for(3500ms);  // past the server's patience and the kept answer's freshness
    uploads(*session, "/b.bin", false);
    EXPECT_EQ(server.readFile("b.bin"), "abc");
    expectUsable(*session);
}
