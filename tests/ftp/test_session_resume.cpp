// A download continued from the bytes a broken one left: REST before RETR,
// the whole file checked, and a start from 0 whenever continuing is unsafe.

#include "session_test_helpers.h"

#include "ftp/ftp_session.h"
#include "support/held_string.h"
#include "support/test_certificates.h"
#include "support/test_ftp_server.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace session_test;
using ftp::TransferDirection;

namespace {

constexpr std::size_t fileSize = 600000;

struct ResumeCase {
    const char* name;
    std::vector<std::string> serverOptions;
    std::size_t held;         // bytes of the file already held (when no cut makes them)
    std::string remote;       // "" = the pattern file; else the file changed to this
    std::string heldBytes;    // "" = the pattern's first `held` bytes
    std::size_t tries;        // downloads at most, until the file is whole (cuts in between)
    int rests;                // REST commands the server saw; -1: one per try with bytes held
    bool whole;               // the last download succeeds
};

std::unique_ptr<ftp::Session> logOnAsTheCaseWants(const TestFtpServer& server, const std::vector<std::string>& options)
{
    if (std::find(options.begin(), options.end(), "--tls-required") == options.end())
        return logOn(server);
    ftp::SessionOptions trusting(5000ms);
    trusting.tls.authorityFile = testCertificate("ca.pem");
    auto session = std::make_unique<ftp::Session>(trusting);
    const ftp::Status status = session->open("127.0.0.1", std::uint16_t(server.port()), TestFtpServer::user(),
                                             TestFtpServer::password());
    EXPECT_TRUE(status.ok()) << status.message();
    return session;
}

std::string caseName(const testing::TestParamInfo<ResumeCase>& info) { return info.param.name; }

class Resume : public testing::TestWithParam<ResumeCase> {};

} // namespace

TEST_P(Resume, ContinuesOnlyTheSameFileAndChecksItWhole)
{
    const ResumeCase& c = GetParam();
    TestFtpServer server(c.serverOptions);
    const std::string original = patternBytes(fileSize);
    const std::string remote = c.remote.empty() ? original : c.remote;
    server.writeFile("f.bin", remote);
    auto session = logOnAsTheCaseWants(server, c.serverOptions);

    // What a broken download left behind, as the window keeps it.
    std::string held = c.heldBytes.empty() ? original.substr(0, c.held) : c.heldBytes;
    Download last;
    std::size_t resumes = 0;
    for (std::size_t tries = 0; tries < c.tries; ++tries) {
        std::uint64_t offset = held.size();
        resumes += offset > 0;
        HeldString reader(held);
        const ftp::Status opened = offset > 0 ? session->resumeDownload("/f.bin", fileSize, {}, offset, reader)
                                              : session->openFile("/f.bin", TransferDirection::Download);
        ASSERT_TRUE(opened.ok()) << opened.message();
        ASSERT_LE(offset, held.size());
        held.resize(offset);
        last = download(*session);
        held += last.bytes;
        if (last.readStatus.ok() && last.closeStatus.ok())
            break;
    }
    EXPECT_EQ(logCount(server, "REST "), c.rests < 0 ? resumes : std::size_t(c.rests));
    EXPECT_EQ(last.readStatus.ok() && last.closeStatus.ok(), c.whole)
        << last.readStatus.message() << " / " << last.closeStatus.message();
    if (c.whole) {
        EXPECT_TRUE(held == remote);
    }
    // REST holds only for the command right after it.
    const std::vector<std::string> log = server.commandLog();
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].rfind("REST ", 0) == 0) {
            ASSERT_LT(i + 1, log.size());
            EXPECT_EQ(log[i + 1], "RETR /f.bin");
        }
    }
    expectUsable(*session);
}

INSTANTIATE_TEST_SUITE_P(
    Downloads, Resume,
    testing::Values(
        // Cut again and again: each try continues where the last one broke.
        ResumeCase{"cut_every_1000_bytes_of_the_last_4000", {"--cut-after", "1000"}, fileSize - 4000, "", "", 10, -1,
                   true},
        ResumeCase{"cut_every_250_kib", {"--cut-after", "256000"}, 0, "", "", 10, -1, true},
        ResumeCase{"cut_every_250_kib_with_sha256", {"--cut-after", "256000", "--hash", "SHA-256*"}, 0, "", "", 10,
                   -1, true},
        ResumeCase{"cut_every_250_kib_over_tls", {"--cut-after", "256000", "--tls-required"}, 0, "", "", 10, -1,
                   true},
        ResumeCase{"all_held_already", {}, fileSize, "", "", 1, 1, true},
        // The digest covers the held bytes too: damaged ones fail the file.
        ResumeCase{"damaged_held_bytes_fail_the_digest", {"--hash", "SHA-256*"}, 0, "",
                   std::string(1000, 'x'), 1, 1, false},
        // The file changed size: REST would splice two files; start over.
        ResumeCase{"changed_remote_file_starts_over", {}, 5000, std::string(fileSize + 1, 'n'), "", 1, 0, true},
        // The server cannot start part-way: it sends the whole file.
        ResumeCase{"server_without_rest_starts_over", {"--reply", "REST=502 Not here."}, 5000, "", "", 1, 1,
                   true},
        ResumeCase{"refused_rest_is_not_asked_again", {"--reply", "REST=502 Not here.", "--cut-after", "4000"},
                   5000, "", "", 3, 1, false}),
    caseName);
