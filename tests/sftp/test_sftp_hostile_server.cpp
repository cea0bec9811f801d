// The SFTP engine against a server that means harm: names that lead out of
// the folder, listings without end, answers to requests never made.

#include "sftp/sftp_session.h"
#include "support/scripted_questions.h"
#include "support/scripted_sftp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
using session::ErrorKind;

namespace {

sftp::SessionOptions quickOptions(const std::string& folder)
{
    sftp::SessionOptions options;
    options.timeout = 1500ms;
    options.sshFolder = folder;  // no keys, no known_hosts
    options.questions = trustingHostKeys();
    return options;
}

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char c : bytes)
        result += {digits[c >> 4], digits[c & 15]};
    return result;
}

TEST(SftpHostileServer, aListedNameThatLeadsOutOfTheFolderNeverBecomesAnEntry)
{
    struct Name {
        std::string bytes;
        bool kept;
    };
    const Name names[] = {
        {"a/b", false},
        {"../sibling-evil", false},
        {"sub/..", false},
        {"/", false},
        {std::string("nul\0evil", 8), false},
        {"/elsewhere/abs-evil", false},
        {"", false},
        {".", false},
        {"..", false},
        {"plain", true},
        {"...", true},
        {"..hidden", true},
        {"back\\slash", true},
        {" leading blank", true},
    };
    char folder[] = "/tmp/cvn-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    const std::string listing = std::string(folder) + "/names";
    std::vector<std::string> kept;
    {
        std::ofstream out(listing);
        for (const Name& name : names) {
            out << hex(name.bytes) << '\n';
            if (name.kept)
                kept.push_back(name.bytes);
        }
    }
    ScriptedSftpServer server({"--listing", listing});
    sftp::Session session(quickOptions(std::string(folder) + "/no-keys"));
    ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
    std::vector<session::ListEntry> entries;
    const auto status = session.listFolder("/", entries);
    ASSERT_TRUE(status.ok()) << status.message();
    std::vector<std::string> listed;
    for (const auto& entry : entries)
        listed.push_back(entry.name);
    EXPECT_EQ(listed, kept);
    std::filesystem::remove_all(folder);
}

TEST(SftpHostileServer, aListingWithoutEndIsCutOffByEntriesBytesOrTimeWithNothingKept)
{
    struct Endless {
        const char* how;
        const char* cutBecause;
    };
    const Endless servers[] = {
        {"fast", "too many entries"},
        {"long", "too large"},
        {"slow", "takes too long"},
    };
    for (const Endless& endless : servers) {
        ScriptedSftpServer server({"--endless-listing", endless.how});
        auto options = quickOptions(server.root() + "/no-keys");
        options.listingLimits = {20000, 4 * 1024 * 1024, 3s};
        sftp::Session session(options);
        ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
        std::vector<session::ListEntry> entries;
        const auto status = session.listFolder("/", entries);
        EXPECT_EQ(status.kind(), ErrorKind::Protocol) << endless.how << ": " << status.message();
        EXPECT_NE(status.message().find(endless.cutBecause), std::string::npos) << status.message();
        EXPECT_TRUE(entries.empty()) << endless.how;
    }
}

TEST(SftpHostileServer, answersToRequestsNeverMadeAreAFaultAndStretchNoWait)
{
    struct Stray {
        const char* how;
        bool listing;  // else a download
        ErrorKind kind;
    };
    // Slow strays come well within the time-out, each; only a wait counted
    // from the request ends before their bound does.
    const Stray servers[] = {
        {"fast", true, ErrorKind::Protocol},
        {"fast", false, ErrorKind::Protocol},
        {"slow", true, ErrorKind::Timeout},
        {"slow", false, ErrorKind::Timeout},
    };
    for (const Stray& stray : servers) {
        ScriptedSftpServer server({"--wrong-ids", stray.how});
        std::ofstream(server.root() + "/a.bin") << "abc";
        sftp::Session session(quickOptions(server.root() + "/no-keys"));
        ASSERT_TRUE(session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret").ok());
        std::vector<session::ListEntry> entries;
        session::Status status = session::Status::success();
        if (stray.listing) {
            status = session.listFolder("/", entries);
        } else if (status = session.openFile("/a.bin", session::TransferDirection::Download); status.ok()) {
            char block[16];
            for (std::size_t count = 1; status.ok() && count;)
                status = session.read(block, sizeof block, count);
            (void)session.closeFile();
        }
        EXPECT_EQ(status.kind(), stray.kind) << stray.how << (stray.listing ? " listing: " : " download: ")
                                             << status.message();
    }
}

} // namespace
