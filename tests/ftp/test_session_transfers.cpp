// Streamed downloads and uploads against the real test server, in the
// 1024-byte calls the windows make.

#include "session_test_helpers.h"

#include "ftp/ftp_session.h"
#include "support/test_ftp_server.h"

#include <gtest/gtest.h>

using namespace session_test;
using ftp::ErrorKind;
using ftp::TransferDirection;

namespace {

class SizedTransfer : public testing::TestWithParam<std::size_t> {};

std::string sizeName(const testing::TestParamInfo<std::size_t>& info)
{
    return "bytes_" + std::to_string(info.param);
}

} // namespace

TEST_P(SizedTransfer, DownloadIsByteExactAndOnlyTheLastReadIsShort)
{
    TestFtpServer server;
    const std::size_t size = GetParam();
    server.writePatternFile("data.bin", size);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/data.bin", TransferDirection::Download).ok());
    EXPECT_TRUE(session->isFileOpen());
    const Download result = download(*session);
    EXPECT_TRUE(result.readStatus.ok()) << result.readStatus.message();
    EXPECT_TRUE(result.closeStatus.ok()) << result.closeStatus.message();
    EXPECT_EQ(result.bytes.size(), size);
    EXPECT_TRUE(result.bytes == patternBytes(size));
    EXPECT_FALSE(session->isFileOpen());
    // The session goes on after the transfer.
    expectUsable(*session);
}

TEST_P(SizedTransfer, UploadIsByteExact)
{
    TestFtpServer server;
    const std::size_t size = GetParam();
    const std::string content = patternBytes(size);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/up.bin", TransferDirection::Upload).ok());
    ftp::Status writeStatus;
    const ftp::Status closed = upload(*session, content, &writeStatus);
    EXPECT_TRUE(writeStatus.ok()) << writeStatus.message();
    ASSERT_TRUE(closed.ok()) << closed.message();
    EXPECT_TRUE(server.readFile("up.bin") == content);
    expectUsable(*session);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizedTransfer,
                         testing::Values(0, 1, 1023, 1024, 1025, 2500, 256 * 1024, 256 * 1024 + 1,
                                         20 * 1024 * 1024),
                         sizeName);

TEST(Transfers, ReadsOfOtherSizesAndOneLargeWrite)
{
    TestFtpServer server;
    const std::string content = patternBytes(3 * 1024 * 1024 + 17);
    server.writeFile("a.bin", content);
    auto session = logOn(server);

    ASSERT_TRUE(session->openFile("/a.bin", TransferDirection::Download).ok());
    std::string got;
    std::vector<char> block(1024 * 1024 + 3);
    for (std::size_t ask : {std::size_t(1), std::size_t(7), block.size(), std::size_t(100000)}) {
        std::size_t count = 0;
        ASSERT_TRUE(session->read(block.data(), ask, count).ok());
        EXPECT_EQ(count, ask);
        got.append(block.data(), count);
    }
    for (;;) {
        std::size_t count = 0;
        ASSERT_TRUE(session->read(block.data(), block.size(), count).ok());
        got.append(block.data(), count);
        if (count < block.size())
            break;
    }
    std::size_t count = 99;
    EXPECT_TRUE(session->read(block.data(), block.size(), count).ok());
    EXPECT_EQ(count, 0u);
    ASSERT_TRUE(session->closeFile().ok());
    EXPECT_TRUE(got == content);

    // One write larger than the engine's buffer, then small ones.
    ASSERT_TRUE(session->openFile("/b.bin", TransferDirection::Upload).ok());
    ASSERT_TRUE(session->write(content.data(), content.size() - 10).ok());
    ASSERT_TRUE(session->write(content.data() + content.size() - 10, 10).ok());
    ASSERT_TRUE(session->write(content.data(), 0).ok());
    ASSERT_TRUE(session->closeFile().ok());
    EXPECT_TRUE(server.readFile("b.bin") == content);
}

TEST(Transfers, UploadOverwritesAndKeepsNameBytes)
{
    TestFtpServer server;
    const std::string name = "r\xc3\xa9sum\xc3\xa9 final.txt";
    server.writeFile(name, std::string(5000, 'o'));
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/" + name, TransferDirection::Upload).ok());
    ASSERT_TRUE(upload(*session, "new").ok());
    EXPECT_EQ(server.readFile(name), "new");
    std::vector<ftp::ListEntry> entries;
    ASSERT_TRUE(session->listFolder("/", entries).ok());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, name);
    EXPECT_EQ(entries[0].size, 3u);
}

TEST(Transfers, CommandsWaitWhileAFileIsOpen)
{
    TestFtpServer server;
    server.writePatternFile("a.bin", 100);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/a.bin", TransferDirection::Download).ok());
    std::string path;
    std::vector<ftp::ListEntry> entries;
    EXPECT_EQ(session->printWorkingDirectory(path).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session->listFolder("/", entries).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session->openFile("/a.bin", TransferDirection::Download).kind(), ErrorKind::WrongState);
    EXPECT_EQ(session->write("x", 1).kind(), ErrorKind::WrongState);  // a download cannot be written
    const Download result = download(*session);
    EXPECT_TRUE(result.closeStatus.ok());
    EXPECT_EQ(session->closeFile().kind(), ErrorKind::WrongState);  // already closed
    expectUsable(*session);
}

TEST(Transfers, DownloadClosedBeforeItsEndIsNotCompleteAndTheSessionGoesOn)
{
    TestFtpServer server;
    server.writePatternFile("big.bin", 8 * 1024 * 1024);
    server.writePatternFile("small.bin", 10);
    auto session = logOn(server, std::chrono::milliseconds(3000));
    ASSERT_TRUE(session->openFile("/big.bin", TransferDirection::Download).ok());
    char block[1024];
    std::size_t count = 0;
    ASSERT_TRUE(session->read(block, sizeof block, count).ok());
    EXPECT_EQ(count, sizeof block);
    const ftp::Status aborted = session->closeFile();
    EXPECT_FALSE(aborted.ok());
    EXPECT_FALSE(session->isFileOpen());
    EXPECT_TRUE(session->isOpen());
    // The next transfer on the same session works.
    ASSERT_TRUE(session->openFile("/small.bin", TransferDirection::Download).ok());
    const Download next = download(*session);
    EXPECT_TRUE(next.closeStatus.ok()) << next.closeStatus.message();
    EXPECT_TRUE(next.bytes == patternBytes(10));
    session->close();
    EXPECT_TRUE(logShows(server, "QUIT"));
}

TEST(Transfers, SessionClosedWithAFileOpenClosesAtOnce)
{
    TestFtpServer server;
    server.writePatternFile("big.bin", 8 * 1024 * 1024);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/big.bin", TransferDirection::Download).ok());
    session->close();
    EXPECT_FALSE(session->isOpen());
    EXPECT_FALSE(session->isFileOpen());
    // And a fresh logon on the same object works.
    ASSERT_TRUE(session->open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    expectUsable(*session);
}

TEST(Transfers, DownloadOfAFolderOrMissingFileIsRefusedWithNothingOpen)
{
    TestFtpServer server;
    server.makeFolder("dir");
    auto session = logOn(server);
    for (const char* path : {"/missing.bin", "/dir"}) {
        const ftp::Status status = session->openFile(path, TransferDirection::Download);
        EXPECT_EQ(status.kind(), ErrorKind::Refused) << path;
        EXPECT_FALSE(session->isFileOpen());
    }
    expectUsable(*session);
}

TEST(Transfers, ReadReadyTellsAReadThatWouldWaitForTheNetwork)
{
    // The limit lets 200 KB through, then holds the rest back for a while.
    TestFtpServer server({"--rate", "0.1"});
    const std::string content = patternBytes(250 * 1024);
    server.writeFile("slow.bin", content);
    auto session = logOn(server);
    ASSERT_TRUE(session->openFile("/slow.bin", TransferDirection::Download).ok());
    std::string got;
    int waits = 0;
    char block[1024];
    for (std::size_t count = sizeof block; count == sizeof block;) {
        waits += session->readReady(sizeof block) ? 0 : 1;
        ASSERT_TRUE(session->read(block, sizeof block, count).ok());
        got.append(block, count);
    }
    EXPECT_GT(waits, 0);  // a throttled server leaves the buffer empty now and then
    EXPECT_TRUE(session->readReady(sizeof block));  // the end: nothing left to wait for
    EXPECT_TRUE(session->closeFile().ok());
    EXPECT_TRUE(got == content);
}
