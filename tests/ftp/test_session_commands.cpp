// Logon, folder commands and listings against the real test server.

#include "session_test_helpers.h"

#include "ftp/control/control_connection.h"
#include "ftp/ftp_session.h"
#include "support/test_ftp_server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

using namespace session_test;
using ftp::ErrorKind;

namespace {

const ftp::ListEntry* findEntry(const std::vector<ftp::ListEntry>& entries, const std::string& name)
{
    for (const auto& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

// A port on 127.0.0.1 where nobody listens.
std::uint16_t closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

const std::string utf8Name = "\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt";  // "été 日本.txt"

void fillFolder(const TestFtpServer& server)
{
    server.writePatternFile("pub/readme.txt", 1234);
    server.writePatternFile("pub/name with  spaces.bin", 77);
    server.writePatternFile("pub/" + utf8Name, 5);
    server.writeFile("pub/empty.dat", "");
    server.makeFolder("pub/sub folder");
    server.makeFolder("pub/incoming");
}

void expectFilledFolder(const std::vector<ftp::ListEntry>& entries)
{
    ASSERT_EQ(entries.size(), 6u);
    const auto* readme = findEntry(entries, "readme.txt");
    ASSERT_TRUE(readme);
    EXPECT_FALSE(readme->isFolder);
    EXPECT_EQ(readme->size, 1234u);
    ASSERT_TRUE(readme->modified);
    EXPECT_GE(readme->modified->year, 2020);
    EXPECT_GE(readme->modified->month, 1);
    const auto* spaced = findEntry(entries, "name with  spaces.bin");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->size, 77u);
    const auto* foreign = findEntry(entries, utf8Name);
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->size, 5u);
    const auto* empty = findEntry(entries, "empty.dat");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size, 0u);
    EXPECT_FALSE(empty->isFolder);
    const auto* sub = findEntry(entries, "sub folder");
    ASSERT_TRUE(sub);
    EXPECT_TRUE(sub->isFolder);
    ASSERT_TRUE(findEntry(entries, "incoming"));
    EXPECT_TRUE(findEntry(entries, "incoming")->isFolder);
}

} // namespace

TEST(Logon, GoodCredentialsOpenTheSessionInBinaryMode)
{
    TestFtpServer server;
    auto session = logOn(server);
    EXPECT_TRUE(session->isOpen());
    EXPECT_TRUE(session->offersMlst());
    EXPECT_TRUE(logHas(server, "USER test"));
    EXPECT_TRUE(logHas(server, "FEAT"));
    EXPECT_TRUE(logHas(server, "TYPE I"));
    // The server lists UTF8 in FEAT, so the client asks for it.
    EXPECT_TRUE(logShows(server, "OPTS UTF8 ON"));  // sent without waiting for its answer
    session->close();
    EXPECT_FALSE(session->isOpen());
    EXPECT_TRUE(logShows(server, "QUIT"));
}

TEST(Logon, BadPasswordFailsWithTheServersText)
{
    TestFtpServer server;
    ftp::Session session(ftp::SessionOptions{std::chrono::milliseconds(5000)});
    const ftp::Status status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", "wrong");
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 530);
    EXPECT_NE(status.message().find("530"), std::string::npos) << status.message();
    EXPECT_FALSE(session.isOpen());
    std::vector<ftp::ListEntry> entries;
    EXPECT_EQ(session.listFolder("/", entries).kind(), ErrorKind::WrongState);
    session.close();  // harmless after a failed open
    // The same object can log on afterwards.
    EXPECT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
}

TEST(Logon, UnknownUserIsRefused)
{
    TestFtpServer server;
    ftp::Session session;
    const ftp::Status status = session.open("127.0.0.1", std::uint16_t(server.port()), "nobody", "secret");
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_FALSE(session.isOpen());
}

TEST(Logon, RefusedGreetingFailsCleanly)
{
    TestFtpServer server({"--reply", "GREETING=421 Too many users, try later"});
    ftp::Session session;
    const ftp::Status status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("Too many users"), std::string::npos) << status.message();
    EXPECT_FALSE(session.isOpen());
}

TEST(Logon, NobodyListeningIsANetworkFailure)
{
    ftp::Session session;
    const ftp::Status status = session.open("127.0.0.1", closedPort(), "test", "secret");
    EXPECT_EQ(status.kind(), ErrorKind::Network);
    EXPECT_FALSE(session.isOpen());
}

TEST(Logon, EmptyHostFails)
{
    ftp::Session session;
    EXPECT_FALSE(session.open("", 21, "test", "secret").ok());
    EXPECT_FALSE(session.isOpen());
}

TEST(Logon, HostNameIsResolved)
{
    TestFtpServer server;
    ftp::Session session;
    const ftp::Status status = session.open("localhost", std::uint16_t(server.port()), "test", "secret");
    EXPECT_TRUE(status.ok()) << status.message();
}

TEST(Logon, CredentialsWithLineBreaksAreRefusedBeforeConnecting)
{
    TestFtpServer server;
    ftp::Session session;
    EXPECT_EQ(session.open("127.0.0.1", std::uint16_t(server.port()), "test\r\nDELE x", "secret").kind(),
              ErrorKind::InvalidArgument);
    EXPECT_EQ(session.open("127.0.0.1", std::uint16_t(server.port()), "test", std::string("se\0cret", 7)).kind(),
              ErrorKind::InvalidArgument);
    EXPECT_TRUE(server.commandLog().empty());
}

TEST(Folders, PwdAndCwd)
{
    TestFtpServer server;
    server.makeFolder("pub/deeper");
    auto session = logOn(server);
    std::string path;
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/");
    ASSERT_TRUE(session->changeDirectory("/pub/deeper").ok());
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/pub/deeper");
    const ftp::Status refused = session->changeDirectory("/no/such/folder");
    EXPECT_EQ(refused.kind(), ErrorKind::Refused);
    EXPECT_EQ(refused.replyCode(), 550);
    // A refusal leaves the session as it was.
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/pub/deeper");
}

TEST(Folders, InitialDirectoryIsReported)
{
    TestFtpServer server({"--initial-dir", "/pub"});
    auto session = logOn(server);
    std::string path;
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/pub");
}

TEST(Folders, PwdWithDoubledQuotesInTheName)
{
    TestFtpServer server;
    server.makeFolder("say \"hi\"");
    auto session = logOn(server);
    ASSERT_TRUE(session->changeDirectory("/say \"hi\"").ok());
    std::string path;
    ASSERT_TRUE(session->printWorkingDirectory(path).ok());
    EXPECT_EQ(path, "/say \"hi\"");
}

TEST(Folders, MakeRemoveDeleteAndRenameSucceed)
{
    TestFtpServer server;
    server.writeFile("old name.txt", "content");
    server.writeFile("doomed.txt", "x");
    auto session = logOn(server);

    ASSERT_TRUE(session->makeDirectory("/new folder").ok());
    EXPECT_TRUE(server.exists("new folder"));
    ASSERT_TRUE(session->removeDirectory("/new folder").ok());
    EXPECT_FALSE(server.exists("new folder"));

    ASSERT_TRUE(session->deleteFile("/doomed.txt").ok());
    EXPECT_FALSE(server.exists("doomed.txt"));

    ASSERT_TRUE(session->rename("/old name.txt", "/new name.txt").ok());
    EXPECT_FALSE(server.exists("old name.txt"));
    EXPECT_EQ(server.readFile("new name.txt"), "content");
}

TEST(Folders, RefusalsCarryTheCodeAndTheServersText)
{
    TestFtpServer server({"--reply", "DELE=550 Deleting is not allowed here", "--reply",
                          "MKD=553 Bad folder name", "--reply", "RMD=550 Folder is not empty",
                          "--reply-file", "RNFR:locked.txt=450 File is busy"});
    server.writeFile("a.txt", "a");
    server.writeFile("locked.txt", "l");
    server.makeFolder("full");
    auto session = logOn(server);

    ftp::Status status = session->deleteFile("/a.txt");
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 550);
    EXPECT_NE(status.message().find("Deleting is not allowed here"), std::string::npos) << status.message();
    EXPECT_TRUE(server.exists("a.txt"));

    status = session->makeDirectory("/x");
    EXPECT_EQ(status.replyCode(), 553);
    EXPECT_FALSE(server.exists("x"));

    status = session->removeDirectory("/full");
    EXPECT_EQ(status.replyCode(), 550);
    EXPECT_TRUE(server.exists("full"));

    status = session->rename("/locked.txt", "/moved.txt");
    EXPECT_EQ(status.kind(), ErrorKind::Refused);
    EXPECT_EQ(status.replyCode(), 450);
    EXPECT_NE(status.message().find("File is busy"), std::string::npos);
    EXPECT_FALSE(logHas(server, "RNTO /moved.txt"));
    EXPECT_TRUE(server.exists("locked.txt"));

    // Other files are not affected by the per-file reply.
    EXPECT_TRUE(session->rename("/a.txt", "/b.txt").ok());
    expectUsable(*session);
}

TEST(Folders, RenameRefusedAtTheSecondStep)
{
    TestFtpServer server({"--reply", "RNTO=553 Target name not allowed"});
    server.writeFile("a.txt", "a");
    auto session = logOn(server);
    const ftp::Status status = session->rename("/a.txt", "/b.txt");
    EXPECT_EQ(status.replyCode(), 553);
    EXPECT_TRUE(server.exists("a.txt"));
    expectUsable(*session);
}

TEST(Folders, RefusalsOfMissingThings)
{
    TestFtpServer server;
    auto session = logOn(server);
    EXPECT_EQ(session->deleteFile("/missing.txt").kind(), ErrorKind::Refused);
    EXPECT_EQ(session->removeDirectory("/missing").kind(), ErrorKind::Refused);
    EXPECT_EQ(session->rename("/missing.txt", "/other.txt").kind(), ErrorKind::Refused);
    expectUsable(*session);
}

TEST(Safety, TheSenderItselfRefusesLineBreaksAndNul)
{
    TestFtpServer server;
    ftp::ControlConnection control;
    const auto deadline = ftp::deadlineAfter(std::chrono::seconds(5));
    ASSERT_TRUE(control.connect("127.0.0.1", std::uint16_t(server.port()), deadline).ok());
    ftp::Reply greeting;
    ASSERT_TRUE(control.readReply(greeting, deadline).ok());
    const std::vector<std::string> lines = {"USER test\r\nDELE a.txt", "USER te\nst", std::string("USER te\0st", 11)};
    for (const std::string& line : lines)
        EXPECT_EQ(control.send(line, deadline).kind(), ErrorKind::InvalidArgument);
    EXPECT_TRUE(server.commandLog().empty());
}

TEST(Safety, LineBreaksAndNulInPathsAreRefusedWithNothingSent)
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    auto session = logOn(server);
    ASSERT_TRUE(logShows(server, "OPTS UTF8 ON"));  // the last of the logon, unanswered
    const auto sentBefore = server.commandLog().size();
    const std::vector<std::string> bad = {"/a.txt\r\nDELE /a.txt", "/a\n", std::string("/a.txt\0x", 8), "\r"};
    std::vector<ftp::ListEntry> entries;
    for (const auto& path : bad) {
        EXPECT_EQ(session->changeDirectory(path).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->makeDirectory(path).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->removeDirectory(path).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->deleteFile(path).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->rename("/a.txt", path).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->rename(path, "/b.txt").kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->listFolder(path, entries).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->openFile(path, ftp::TransferDirection::Download).kind(), ErrorKind::InvalidArgument);
        EXPECT_EQ(session->openFile(path, ftp::TransferDirection::Upload).kind(), ErrorKind::InvalidArgument);
        EXPECT_FALSE(session->isFileOpen());
    }
    expectUsable(*session);
    const auto log = server.commandLog();
    // Only the PWD of expectUsable went out; in particular no RNFR of the good name.
    ASSERT_EQ(log.size(), sentBefore + 1);
    EXPECT_EQ(log.back(), "PWD");
    EXPECT_TRUE(server.exists("a.txt"));
}

TEST(Safety, OperationsNeedAnOpenSession)
{
    ftp::Session session;
    std::string path;
    std::vector<ftp::ListEntry> entries;
    std::size_t count = 0;
    char byte = 0;
    EXPECT_EQ(session.printWorkingDirectory(path).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.changeDirectory("/").kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.listFolder("/", entries).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.openFile("/a", ftp::TransferDirection::Download).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.read(&byte, 1, count).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.write(&byte, 1).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session.closeFile().kind(), ErrorKind::WrongState);
    session.close();
    session.close();
}

TEST(Listing, MlsdListsFilesFoldersSpacesAndNonAsciiNames)
{
    TestFtpServer server;
    fillFolder(server);
    auto session = logOn(server);
    std::vector<ftp::ListEntry> entries;
    const ftp::Status status = session->listFolder("/pub", entries);
    ASSERT_TRUE(status.ok()) << status.message();
    expectFilledFolder(entries);
    EXPECT_TRUE(logHas(server, "MLSD /pub"));
    EXPECT_EQ(logCount(server, "LIST"), 0u);
}

TEST(Listing, ListIsUsedWithoutMlst)
{
    TestFtpServer server({"--no-mlst"});
    fillFolder(server);
    auto session = logOn(server);
    EXPECT_FALSE(session->offersMlst());
    std::vector<ftp::ListEntry> entries;
    const ftp::Status status = session->listFolder("/pub", entries);
    ASSERT_TRUE(status.ok()) << status.message();
    expectFilledFolder(entries);
    EXPECT_TRUE(logHas(server, "CWD /pub"));
    EXPECT_TRUE(logHas(server, "LIST"));
    EXPECT_EQ(logCount(server, "MLSD"), 0u);
}

TEST(Listing, ListOfFoldersWithBlanksWorksWhereLsSplitsTheArgument)
{
    TestFtpServer server({"--no-mlst", "--ls-words"});
    for (const std::string folder : {"/my docs", "/a  b/c d ", "/ lead"}) {
        SCOPED_TRACE(folder);
        server.writeFile(folder.substr(1) + "/in side.txt", "12345");
        auto session = logOn(server);
        std::vector<ftp::ListEntry> entries;
        ASSERT_TRUE(session->listFolder(folder, entries).ok());
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, "in side.txt");
        EXPECT_EQ(entries[0].size, 5u);
    }
}

TEST(Listing, EmptyFolderAndMissingFolder)
{
    TestFtpServer server;
    server.makeFolder("empty");
    auto session = logOn(server);
    std::vector<ftp::ListEntry> entries = {ftp::ListEntry{}};
    ASSERT_TRUE(session->listFolder("/empty", entries).ok());
    EXPECT_TRUE(entries.empty());
    const ftp::Status missing = session->listFolder("/missing", entries);
    EXPECT_EQ(missing.kind(), ErrorKind::Refused);
    EXPECT_TRUE(entries.empty());
    // Listings one after another reuse nothing that could be stale.
    server.writeFile("empty/now.txt", "1");
    ASSERT_TRUE(session->listFolder("/empty", entries).ok());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "now.txt");
}

TEST(Listing, EmptyPathListsTheCurrentFolder)
{
    TestFtpServer server({"--initial-dir", "/pub"});
    server.writeFile("pub/here.txt", "1");
    auto session = logOn(server);
    std::vector<ftp::ListEntry> entries;
    ASSERT_TRUE(session->listFolder("", entries).ok());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "here.txt");
}
