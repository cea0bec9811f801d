// The handle layer the windows call, against a real server: handles and their
// kinds, find first/next, streamed files, and what closing a handle means.

#include "main_window/ftp_client.h"
#include "support/test_ftp_server.h"

#include <QTest>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

struct Connection {
    HINTERNET internet = 0;
    HINTERNET connection = 0;
};

Connection connectTo(const TestFtpServer& server)
{
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    Connection result;
    result.internet = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "", INTERNET_FLAG_NO_CACHE_WRITE);
    result.connection = InternetConnectA(result.internet, "127.0.0.1", std::uint16_t(server.port()),
                                         TestFtpServer::user(), TestFtpServer::password(),
                                         INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    return result;
}

struct Found {
    std::string name;
    bool folder;
    std::uint64_t size;
    friend bool operator<(const Found& a, const Found& b) { return a.name < b.name; }
    friend bool operator==(const Found&, const Found&) = default;
};

// All records of `pattern`; `handleSeen` tells whether the find started.
std::vector<Found> findAll(HINTERNET connection, const std::string& pattern, bool& handleSeen)
{
    std::vector<Found> found;
    WIN32_FIND_DATAA record;
    const HINTERNET find = FtpFindFirstFileA(connection, pattern, record,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    handleSeen = find != 0;
    if (find) {
        do {
            found.push_back({record.cFileName, (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                             record.fileSize});
        } while (InternetFindNextFileA(find, record));
        // Asking again after the end stays at the end.
        if (InternetFindNextFileA(find, record))
            found.push_back({"<record after the end>", false, 0});
    }
    InternetCloseHandle(find);
    std::sort(found.begin(), found.end());
    return found;
}

std::string readWhole(HINTERNET file, bool& allReadsSucceeded)
{
    std::string content;
    char buffer[1024];
    std::uint32_t count = 0;
    allReadsSucceeded = true;
    for (;;) {
        if (!InternetReadFile(file, buffer, sizeof buffer, count)) {
            allReadsSucceeded = false;
            break;
        }
        if (count == 0)
            break;
        content.append(buffer, count);
    }
    return content;
}

} // namespace

class FtpClientTest : public QObject {
    Q_OBJECT

private slots:
    void connectingGivesDistinctHandlesAndCurrentFolder();
    void failedConnectGivesNoHandleAndADescription();
    void handleOfTheWrongKindIsRefused();
    void findEnumeratesTheFolderOfThePattern();
    void findOnEmptyOrMissingFolderGivesNoHandle();
    void downloadAndUploadStreamWholeFiles();
    void onlyOneFileOpensPerConnection();
    void closingZeroOrUnknownHandlesHarmsNothing();
    void closingACutDownloadReportsFailure();
    void closingARefusedUploadReportsFailure();
    void closingAConnectionEndsItsFindsAndFiles();
    void closingTheSessionClosesItsConnections();
};

void FtpClientTest::connectingGivesDistinctHandlesAndCurrentFolder()
{
    TestFtpServer server;
    const Connection first = connectTo(server);
    const Connection second = connectTo(server);

    QVERIFY(first.internet && first.connection && second.internet && second.connection);
    const std::set<HINTERNET> handles{first.internet, first.connection, second.internet, second.connection};
    QCOMPARE(handles.size(), std::size_t(4));

    std::string directory;
    QVERIFY(FtpGetCurrentDirectoryA(first.connection, directory));
    QCOMPARE(directory, std::string("/"));
    server.makeFolder("sub dir");
    QVERIFY(FtpSetCurrentDirectoryA(first.connection, "/sub dir"));
    QVERIFY(FtpGetCurrentDirectoryA(first.connection, directory));
    QCOMPARE(directory, std::string("/sub dir"));
    QVERIFY(!FtpSetCurrentDirectoryA(first.connection, "/missing"));
    QVERIFY(!InternetGetLastErrorText().empty());
    // The second connection has its own current folder.
    QVERIFY(FtpGetCurrentDirectoryA(second.connection, directory));
    QCOMPARE(directory, std::string("/"));

    InternetCloseHandle(first.internet);
    InternetCloseHandle(second.internet);
}

void FtpClientTest::failedConnectGivesNoHandleAndADescription()
{
    TestFtpServer server;
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    const HINTERNET internet = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "", INTERNET_FLAG_NO_CACHE_WRITE);

    QCOMPARE(InternetConnectA(internet, "127.0.0.1", std::uint16_t(server.port()), "test", "wrong",
                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0),
             HINTERNET(0));
    QVERIFY(!InternetGetLastErrorText().empty());
    QCOMPARE(InternetConnectA(internet, "", std::uint16_t(server.port()), "test", "secret",
                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0),
             HINTERNET(0));
    // Without a session handle nothing connects.
    QCOMPARE(InternetConnectA(0, "127.0.0.1", std::uint16_t(server.port()), "test", "secret",
                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0),
             HINTERNET(0));
    InternetCloseHandle(internet);
}

void FtpClientTest::handleOfTheWrongKindIsRefused()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    const Connection connected = connectTo(server);
    WIN32_FIND_DATAA record;
    std::string directory;

    QCOMPARE(FtpFindFirstFileA(connected.internet, "/*.*", record, 0, 0), HINTERNET(0));
    QVERIFY(!FtpGetCurrentDirectoryA(connected.internet, directory));
    QCOMPARE(InternetConnectA(connected.connection, "127.0.0.1", std::uint16_t(server.port()), "test",
                              "secret", INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0),
             HINTERNET(0));
    QVERIFY(!InternetFindNextFileA(connected.connection, record));
    std::uint32_t count = 7;
    char buffer[16];
    QVERIFY(!InternetReadFile(connected.connection, buffer, sizeof buffer, count));
    QCOMPARE(count, 0u);
    // The connection is still fine after the refusals.
    QVERIFY(FtpGetCurrentDirectoryA(connected.connection, directory));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::findEnumeratesTheFolderOfThePattern()
{
    TestFtpServer server;
    server.writeFile("top.txt", "top");
    server.writeFile("pub/a.bin", std::string(1500, 'a'));
    server.writeFile("pub/with space.txt", "");
    server.makeFolder("pub/inner");
    const Connection connected = connectTo(server);
    bool started = false;

    const auto pub = findAll(connected.connection, "/pub/*.*", started);
    QVERIFY(started);
    const std::vector<Found> expected{{"a.bin", false, 1500}, {"inner", true, 0}, {"with space.txt", false, 0}};
    QCOMPARE(pub.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        QCOMPARE(pub[index].name, expected[index].name);
        QCOMPARE(pub[index].folder, expected[index].folder);
        if (!expected[index].folder)
            QCOMPARE(pub[index].size, expected[index].size);
    }

    const auto root = findAll(connected.connection, "/*.*", started);
    QCOMPARE(root.size(), std::size_t(2));
    QCOMPARE(root[0].name, std::string("pub"));
    QCOMPARE(root[1].name, std::string("top.txt"));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::findOnEmptyOrMissingFolderGivesNoHandle()
{
    TestFtpServer server;
    server.makeFolder("empty");
    const Connection connected = connectTo(server);
    bool started = true;

    QVERIFY(findAll(connected.connection, "/empty/*.*", started).empty());
    QVERIFY(!started);
    QVERIFY(findAll(connected.connection, "/missing/*.*", started).empty());
    QVERIFY(!started);
    // The connection survives a refused listing.
    server.writeFile("empty/now.txt", "x");
    QCOMPARE(findAll(connected.connection, "/empty/*.*", started).size(), std::size_t(1));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::downloadAndUploadStreamWholeFiles()
{
    TestFtpServer server;
    const std::string content = patternBytes(5000);
    server.writeFile("down.bin", content);
    const Connection connected = connectTo(server);

    const HINTERNET download = FtpOpenFileA(connected.connection, "/down.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(download);
    bool readsOk = false;
    QCOMPARE(readWhole(download, readsOk), content);
    QVERIFY(readsOk);
    QVERIFY(InternetCloseHandle(download));

    const HINTERNET upload = FtpOpenFileA(connected.connection, "/up.bin", GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(upload);
    for (std::size_t offset = 0; offset < content.size(); offset += 1024) {
        const auto size = std::uint32_t(std::min<std::size_t>(1024, content.size() - offset));
        std::uint32_t written = 0;
        QVERIFY(InternetWriteFile(upload, content.data() + offset, size, written));
        QCOMPARE(written, size);
    }
    QVERIFY(InternetCloseHandle(upload));
    QCOMPARE(server.readFile("up.bin"), content);

    // An empty file downloads as an immediate end.
    server.writeFile("empty.bin", "");
    const HINTERNET empty = FtpOpenFileA(connected.connection, "/empty.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(empty);
    QCOMPARE(readWhole(empty, readsOk), std::string());
    QVERIFY(InternetCloseHandle(empty));

    QCOMPARE(FtpOpenFileA(connected.connection, "/missing.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0), HINTERNET(0));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::onlyOneFileOpensPerConnection()
{
    TestFtpServer server;
    server.writeFile("a.bin", patternBytes(3000));
    server.writeFile("b.bin", patternBytes(10));
    const Connection connected = connectTo(server);

    const HINTERNET first = FtpOpenFileA(connected.connection, "/a.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(first);
    QCOMPARE(FtpOpenFileA(connected.connection, "/b.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0), HINTERNET(0));
    QVERIFY(!InternetGetLastErrorText().empty());

    bool readsOk = false;
    QCOMPARE(readWhole(first, readsOk), patternBytes(3000));
    QVERIFY(InternetCloseHandle(first));
    const HINTERNET second = FtpOpenFileA(connected.connection, "/b.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(second);
    QCOMPARE(readWhole(second, readsOk), patternBytes(10));
    QVERIFY(InternetCloseHandle(second));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::closingZeroOrUnknownHandlesHarmsNothing()
{
    TestFtpServer server;
    server.writeFile("a.bin", "abc");
    const Connection connected = connectTo(server);
    const HINTERNET file = FtpOpenFileA(connected.connection, "/a.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(file);

    InternetCloseHandle(0);
    QVERIFY(!InternetCloseHandle(0x7fffffff));

    bool readsOk = false;
    QCOMPARE(readWhole(file, readsOk), std::string("abc"));
    QVERIFY(InternetCloseHandle(file));
    // A handle closed once is unknown afterwards.
    QVERIFY(!InternetCloseHandle(file));
    std::string directory;
    QVERIFY(FtpGetCurrentDirectoryA(connected.connection, directory));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::closingACutDownloadReportsFailure()
{
    TestFtpServer server({"--cut-after", "2000"});
    server.writeFile("big.bin", patternBytes(50000));
    const Connection connected = connectTo(server);
    const HINTERNET file = FtpOpenFileA(connected.connection, "/big.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(file);

    bool readsOk = false;
    const std::string content = readWhole(file, readsOk);

    QVERIFY(content.size() <= 2000);
    // Whatever the reads said, the close must not confirm a partial file.
    QVERIFY(!InternetCloseHandle(file));
    QVERIFY(!InternetGetLastErrorText().empty());
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::closingARefusedUploadReportsFailure()
{
    TestFtpServer server({"--fail-stor-after", "1000"});
    const Connection connected = connectTo(server);
    const HINTERNET file = FtpOpenFileA(connected.connection, "/up.bin", GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(file);
    const std::string content = patternBytes(1024);
    bool allWritten = true;
    for (int block = 0; block < 64 && allWritten; ++block) {
        std::uint32_t written = 0;
        allWritten = InternetWriteFile(file, content.data(), 1024, written);
    }

    QVERIFY(!InternetCloseHandle(file));
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::closingAConnectionEndsItsFindsAndFiles()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.writeFile("b.txt", "b");
    server.writeFile("c.bin", patternBytes(100000));
    const Connection connected = connectTo(server);
    WIN32_FIND_DATAA record;
    const HINTERNET find = FtpFindFirstFileA(connected.connection, "/*.*", record, 0, 0);
    QVERIFY(find);
    const HINTERNET file = FtpOpenFileA(connected.connection, "/c.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    QVERIFY(file);

    InternetCloseHandle(connected.connection);

    QVERIFY(!InternetFindNextFileA(find, record));
    char buffer[1024];
    std::uint32_t count = 0;
    QVERIFY(!InternetReadFile(file, buffer, sizeof buffer, count));
    std::string directory;
    QVERIFY(!FtpGetCurrentDirectoryA(connected.connection, directory));
    QTRY_VERIFY([&] {
        const auto log = server.commandLog();
        return std::find(log.begin(), log.end(), "QUIT") != log.end();
    }());
    InternetCloseHandle(connected.internet);
}

void FtpClientTest::closingTheSessionClosesItsConnections()
{
    TestFtpServer server;
    const Connection connected = connectTo(server);
    const HINTERNET secondConnection = InternetConnectA(connected.internet, "127.0.0.1", std::uint16_t(server.port()),
                                                        "test", "secret", INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    QVERIFY(secondConnection);

    QVERIFY(InternetCloseHandle(connected.internet));

    std::string directory;
    QVERIFY(!FtpGetCurrentDirectoryA(connected.connection, directory));
    QVERIFY(!FtpGetCurrentDirectoryA(secondConnection, directory));
    QVERIFY(!InternetCloseHandle(connected.connection));
}

QTEST_MAIN(FtpClientTest)
#include "test_ftp_client.moc"
