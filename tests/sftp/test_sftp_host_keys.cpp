// The SFTP engine's judgement of a real sshd's host key against known_hosts
// lines as OpenSSH writes them.

#include "sftp/sftp_session.h"
#include "support/scripted_questions.h"
#include "support/test_ssh_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

enum class Outcome { LoggedOnUnasked, AskedAsNew, AskedAsChanged, RefusedAsRevoked };

TEST(SftpHostKeys, knownHostsLinesAreReadAsOpenSshReadsThem)
{
    ::unsetenv("SSH_AUTH_SOCK");
    TestSshServer server;
    const std::string port = std::to_string(server.port());
    const std::string key = server.hostKeyLine().substr(server.hostKeyLine().find(' ') + 1);
    const std::string scratch = server.scratch() + "/host-keys";
    fs::create_directories(scratch);
    runCommand("ssh-keygen -q -t ed25519 -N '' -f " + scratch + "/other");
    std::string otherKey;
    std::getline(std::ifstream(scratch + "/other.pub"), otherKey);
    otherKey = otherKey.substr(0, otherKey.rfind(' '));

    struct Case {
        const char* name;
        std::string knownHosts;
        bool hashed;  // written through ssh-keygen -H
        Outcome outcome;
    };
    const Case cases[] = {
        {"[host]:port entry", "[127.0.0.1]:" + port + " " + key, false, Outcome::LoggedOnUnasked},
        {"plain host entry, server on another port", "127.0.0.1 " + key, false, Outcome::LoggedOnUnasked},
        {"hashed plain host entry", "127.0.0.1 " + key, true, Outcome::LoggedOnUnasked},
        {"hashed [host]:port entry", "[127.0.0.1]:" + port + " " + key, true, Outcome::LoggedOnUnasked},
        {"plain host entry with another key", "127.0.0.1 " + otherKey, false, Outcome::AskedAsNew},
        {"[host]:port entry with another key", "[127.0.0.1]:" + port + " " + otherKey, false,
         Outcome::AskedAsChanged},
        {"revoked for [host]:port", "@revoked [127.0.0.1]:" + port + " " + key, false, Outcome::RefusedAsRevoked},
        {"revoked for every host, trusted too", "[127.0.0.1]:" + port + " " + key + "\n@revoked * " + key, false,
         Outcome::RefusedAsRevoked},
        {"another key revoked", "@revoked * " + otherKey + "\n[127.0.0.1]:" + port + " " + key, false,
         Outcome::LoggedOnUnasked},
    };
    for (const Case& test : cases) {
        const std::string folder = scratch + "/ssh";
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(server.clientFolder() + "/id_ed25519", folder + "/id_ed25519");
        std::ofstream(folder + "/known_hosts") << test.knownHosts << '\n';
        if (test.hashed)
            runCommand("ssh-keygen -q -H -f " + folder + "/known_hosts 2>&1");

        ScriptedQuestions questions;
        questions.hostKeyAnswer = false;
        sftp::SessionOptions options;
        options.timeout = 5000ms;
        options.sshFolder = folder;
        options.questions = questions;
        sftp::Session session(options);
        const auto status = session.open("127.0.0.1", std::uint16_t(server.port()), server.user(), "");
        const std::optional<session::HostKeyReport> asked =
            questions.hostKeys.empty() ? std::nullopt : std::optional(questions.hostKeys.front());
        switch (test.outcome) {
        case Outcome::LoggedOnUnasked:
            EXPECT_TRUE(status.ok()) << test.name << ": " << status.message();
            EXPECT_FALSE(asked) << test.name;
            break;
        case Outcome::AskedAsNew:
        case Outcome::AskedAsChanged:
            ASSERT_TRUE(asked) << test.name << ": " << status.message();
            EXPECT_EQ(asked->knownFingerprint.empty(), test.outcome == Outcome::AskedAsNew) << test.name;
            break;
        case Outcome::RefusedAsRevoked:
            EXPECT_FALSE(asked) << test.name;
            EXPECT_EQ(status.kind(), session::ErrorKind::Insecure) << test.name;
            EXPECT_NE(status.message().find("revoked"), std::string::npos) << test.name << ": " << status.message();
            break;
        }
    }
}

} // namespace
