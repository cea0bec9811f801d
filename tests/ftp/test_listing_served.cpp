// Listings that real servers send, served byte for byte by the test server,
// read end to end through a session: the engine chooses LIST when MLSD is not
// offered and keeps every file a line carries.

#include "session_test_helpers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct ServedFile {
    std::string path;
    explicit ServedFile(const std::string& bytes)
        : path((std::filesystem::temp_directory_path()
                / ("corvell-served-" + std::to_string(::getpid()) + "-" + std::to_string(++made)))
                   .string())
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~ServedFile() { std::remove(path.c_str()); }
    static inline int made = 0;  // two alive at once need two names
};

struct Seen {
    std::string name;
    bool isFolder;
    std::optional<std::uint64_t> size;
    bool dated;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s)
{
    return out << '"' << s.name << "\" folder=" << s.isFolder << " size=" << (s.size ? std::to_string(*s.size) : "?")
               << " dated=" << s.dated;
}

std::vector<Seen> listServed(const std::vector<std::string>& options, const std::string& command)
{
    TestFtpServer server(options);
    auto session = session_test::logOn(server);
    std::vector<ftp::ListEntry> entries;
    const ftp::Status status = session->listFolder("/", entries);
    EXPECT_TRUE(status.ok()) << status.message();
    // LIST lists the working directory, where CWD took it.
    EXPECT_TRUE(session_test::logHas(server, command == "LIST" ? "LIST" : command + " /"));
    std::vector<Seen> seen;
    for (const auto& e : entries)
        seen.push_back({e.name, e.isFolder, e.size, e.modified.has_value()});
    return seen;
}

} // namespace

TEST(ServedListing, MixedDialectsOverListKeepEveryFile)
{
    const ServedFile listing("total 42\r\n"
                             "drwxr-xr-x   2 ftp ftp  4096 Dec 07 09:37 .\r\n"
                             "-rw-r--r--   1 ftp ftp  1234 Dec 07 09:37  leading space.bin\r\n"
                             "-rw-r--r--   1 ftp ftp    12  7. Dez 2023 trailing \r\n"
                             "crw-rw-rw-   1 root tty   5,   0 Dec 07  2023 tty\r\n"
                             "this line is no entry\r\n"
                             "-rw-r--r--   1 ftp ftp    99 Foo  7 09:37 undated\r\n"
                             "12-07-23  09:37AM       <DIR>          Windows folder\r\n"
                             "-rw-r--r--   1 ftp ftp     5 Dec 07  2023 a/b\r\n");
    const std::vector<Seen> expected = {
        {" leading space.bin", false, 1234, true}, {"trailing ", false, 12, true}, {"tty", false, std::nullopt, true},
        {"undated", false, 99, false}, {"Windows folder", true, std::nullopt, true}};
    EXPECT_EQ(listServed({"--listing-file", listing.path}, "LIST"), expected);
}

TEST(ServedListing, MlsdDropsSelfParentAndUnusableNames)
{
    const ServedFile listing("type=cdir;modify=20231207093700; /\r\n"
                             "type=dir;modify=20231207093700; ..\r\n"
                             "type=file;size=3;modify=20231207093700;\tTabbed  \r\n"
                             "type=file;size=4; a/b\r\n"
                             "type=dir; sub\r\n");
    const std::vector<Seen> expected = {{"Tabbed  ", false, 3, true}, {"sub", true, std::nullopt, false}};
    EXPECT_EQ(listServed({"--mlsd-file", listing.path}, "MLSD"), expected);
}

// Where CWD refuses the folder, LIST is given the path: what it lists counts,
// but nothing at all (vsftpd's answer for a folder that does not exist) is
// CWD's refusal, not an empty folder.
TEST(ServedListing, FolderCwdRefusesIsListedOnlyWhenListShowsSomething)
{
    const ServedFile one("-rw-r--r--   1 ftp ftp  1234 Dec 07 09:37 only.bin\r\n");
    const ServedFile none("");
    for (const ServedFile* listing : {&one, &none}) {
        TestFtpServer server({"--listing-file", listing->path, "--reply", "CWD=550 Failed to change directory."});
        auto session = session_test::logOn(server);
        std::vector<ftp::ListEntry> entries;
        const ftp::Status status = session->listFolder("/nope", entries);
        EXPECT_EQ(status.ok(), listing == &one) << status.message();
        EXPECT_EQ(entries.size(), listing == &one ? 1u : 0u);
        if (listing == &none) {
            EXPECT_EQ(status.replyCode(), 550);
            EXPECT_NE(status.message().find("Failed to change directory."), std::string::npos) << status.message();
        }
        EXPECT_TRUE(session_test::logHas(server, "LIST /nope"));
    }
}
