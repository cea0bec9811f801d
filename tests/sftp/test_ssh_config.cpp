// The user's ~/.ssh/config as ssh(1) reads it: the reader alone on text,
// then logons to a real sshd shaped by a config in a stand-in ssh folder.

#include "sftp/sftp_session.h"
#include "sftp/ssh_config.h"
#include "support/scripted_questions.h"
#include "support/test_ssh_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const sftp::ConfigQuery asked{"web", "", "/ssh", "/home/ann", "ann"};

struct ConfigCase {
    const char* name;
    const char* text;
    std::string hostName;
    int port;  // 0: none
    std::string user;
    std::vector<std::string> identityFiles;
    std::size_t entries;
};

TEST(SshConfigReader, takesTheFirstValueOfEveryEntryThatMatchesAsSshDoes)
{
    const ConfigCase cases[] = {
        {"alias", "Host web\n  HostName 10.0.0.5\n  Port 2222\n  User deploy\n  IdentityFile ~/.ssh/work\n",
         "10.0.0.5", 2222, "deploy", {"/home/ann/.ssh/work"}, 1},
        {"first value wins, keys add up", "Host web\n User a\n IdentityFile k1\nHost *\n User b\n IdentityFile k2\n",
         "", 0, "a", {"k1", "k2"}, 2},
        {"wildcards, case and negation", "Host !web w?b\n User no\nHost W* other\n User yes\n", "", 0, "yes", {}, 1},
        {"keyword=value and quotes", "HOST=web\nHostName = \"my host\"\n", "my host", 0, "", {}, 1},
        {"tokens expand", "Host web\nHostName %h.example.com\nUser bob\nPort 99\nIdentityFile %d/k_%h_%r_%p_%u_%n_%%\n",
         "web.example.com", 99, "bob", {"/home/ann/k_web.example.com_bob_99_ann_web_%"}, 1},
        {"Match host sees the HostName", "Host web\nHostName real\nMatch host real\nUser m\nMatch originalhost real\nPort 1\n",
         "real", 0, "m", {}, 2},
        {"Match all, exec never runs", "Match exec \"false\"\nUser x\nMatch all\nUser y\n", "", 0, "y", {}, 1},
        {"other hosts only", "Host other\nHostName elsewhere\n# comment\n\n", "", 0, "", {}, 0},
    };
    for (const ConfigCase& c : cases) {
        const sftp::SshConfig config = sftp::parseSshConfig(c.text, "config", asked);
        EXPECT_TRUE(config.problems.empty()) << c.name << ": " << config.problems.front();
        EXPECT_EQ(config.hostName, c.hostName) << c.name;
        EXPECT_EQ(config.port.value_or(0), c.port) << c.name;
        EXPECT_EQ(config.user, c.user) << c.name;
        EXPECT_EQ(config.identityFiles, c.identityFiles) << c.name;
        EXPECT_EQ(config.appliedEntries.size(), c.entries) << c.name;
    }
}

TEST(SshConfigReader, aBrokenFileIsNamedAndNothingOfItIsUsed)
{
    const char* broken[] = {
        "Host web\nUser a\nPort abc\n",
        "Host\nUser a\n",
        "Host web\nUser \"a\n",
        "Host web\nUser a\nStrictHostKeyChecking maybe\n",
        "Host web\nUser a\nProxyJump a:b:c\n",
    };
    for (const char* text : broken) {
        const sftp::SshConfig config = sftp::parseSshConfig(text, "/ssh/config", asked);
        ASSERT_EQ(config.problems.size(), 1u) << text;
        EXPECT_NE(config.problems.front().find("/ssh/config line"), std::string::npos) << config.problems.front();
        EXPECT_TRUE(config.user.empty() && config.appliedEntries.empty()) << text;
    }
}

TEST(SshConfigReader, jumpHostsAreSplitIntoUserHostAndPort)
{
    struct Hop {
        const char* text;
        bool valid;
        std::string user, host;
        int port;
    };
    const Hop hops[] = {
        {"gate", true, "", "gate", 0},          {"ann@gate:2200", true, "ann", "gate", 2200},
        {"[::1]:22", true, "", "::1", 22},      {"a@b@gate", true, "a@b", "gate", 0},
        {"gate:", false, "", "", 0},            {"gate:99999", false, "", "", 0},
        {"::1", false, "", "", 0},              {"", false, "", "", 0},
    };
    for (const Hop& hop : hops) {
        const auto parsed = sftp::parseJumpHop(hop.text);
        ASSERT_EQ(parsed.has_value(), hop.valid) << hop.text;
        if (parsed) {
            EXPECT_TRUE(parsed->user == hop.user && parsed->host == hop.host && parsed->port == hop.port) << hop.text;
        }
    }
}

TEST(SshConfigReader, includesFollowGlobsRelativeToTheFolderAndAFolderIsNoFile)
{
    const fs::path folder = fs::temp_directory_path() / ("cvcfg-" + std::to_string(::getpid()));
    fs::create_directories(folder / "conf.d");
    std::ofstream(folder / "config") << "Include conf.d/*.conf\nHost *\nUser fallback\n";
    std::ofstream(folder / "conf.d" / "a.conf") << "Host web\nPort 2022\n";
    std::ofstream(folder / "conf.d" / "b.conf") << "Host web\nUser included\n";
    sftp::ConfigQuery query = asked;
    query.sshFolder = folder.string();
    const sftp::SshConfig config = sftp::readSshConfig(query);
    EXPECT_EQ(config.port.value_or(0), 2022);
    EXPECT_EQ(config.user, "included");
    EXPECT_EQ(config.appliedEntries.size(), 3u);

    fs::remove(folder / "config");
    fs::create_directory(folder / "config");
    const sftp::SshConfig unreadable = sftp::readSshConfig(query);
    ASSERT_EQ(unreadable.problems.size(), 1u);
    EXPECT_NE(unreadable.problems.front().find((folder / "config").string()), std::string::npos);
    query.sshFolder = (folder / "conf.d").string();  // no config at all: nothing to say
    EXPECT_TRUE(sftp::readSshConfig(query).problems.empty());
    fs::remove_all(folder);
}

struct ConfiguredLogon {
    const char* name;
    std::string config;
    std::string host;
    int port;
    bool trustAsked;      // the answer to an unknown host key
    bool withPassword;    // only where the server takes passwords (run as root)
    bool loggedOn;
    const char* noteHas;  // in logonNotes() or the failure
};

TEST(SshConfigLogon, anAliasLogsOnWithTheConfigsNamePortUserAndKey)
{
    ::unsetenv("SSH_AUTH_SOCK");
    const TestSshServer server;
    const std::string folder = server.scratch() + "/dotssh";
    fs::create_directories(folder);
    // The only key is under a name ssh would not try by itself.
    fs::copy_file(server.clientFolder() + "/id_ed25519", folder + "/work_key");
    std::ofstream(folder + "/known") << server.hostKeyLine() << "\n";
    const std::string alias = "Host web\n  HostName 127.0.0.1\n  Port " + std::to_string(server.port()) + "\n  User "
                              + server.user() + "\n  IdentityFile " + folder + "/work_key\n  IdentitiesOnly yes\n";
    const ConfiguredLogon cases[] = {
        {"alias", alias, "web", 22, true, false, true, "Host web"},
        {"known hosts from the config", alias + "  UserKnownHostsFile " + folder + "/known\n", "web", 22, false, false,
         true, "Host web"},
        {"strict checking refuses an unknown key unasked", alias + "  StrictHostKeyChecking yes\n", "web", 22, true,
         false, false, "StrictHostKeyChecking"},
        {"the Port field wins over the config's", alias, "web", 1, true, false, false, "Host web"},
        {"a broken config is named and left out", "Host web\nPort x\n", "127.0.0.1", server.port(), true, true,
         true, "config line 2"},
    };
    for (const ConfiguredLogon& logon : cases) {
        if (logon.withPassword && !server.passwordLogon())
            continue;
        std::ofstream(folder + "/config") << logon.config;
        sftp::SessionOptions options;
        options.timeout = 5000ms;
        options.sshFolder = folder;
        ScriptedQuestions questions;
        questions.hostKeyAnswer = logon.trustAsked;
        options.questions = questions;
        sftp::Session session(options);
        const auto status = session.open(logon.host, std::uint16_t(logon.port),
                                         logon.withPassword ? server.user() : "",
                                         logon.withPassword ? server.password() : "");
        EXPECT_EQ(status.ok(), logon.loggedOn) << logon.name << ": " << status.message();
        const std::string said = status.ok() ? session.logonNotes() : status.message();
        EXPECT_NE(said.find(logon.noteHas), std::string::npos) << logon.name << ": " << said;
    }

    // The algorithm lists are libssh's to read from the same entry.
    std::ofstream(folder + "/config") << alias << "  Ciphers aes256-ctr\n  HostKeyAlgorithms ssh-ed25519\n";
    sftp::SessionOptions options;
    options.timeout = 5000ms;
    options.sshFolder = folder;
    options.questions = trustingHostKeys();
    sftp::Session session(options);
    ASSERT_TRUE(session.open("web", 22, "", "").ok());
    EXPECT_NE(session.encryption().find("aes256-ctr"), std::string::npos) << session.encryption();
}

TEST(SshConfigLogon, proxyJumpReachesTheServerThroughTheJumpHostWhoseKeyIsCheckedToo)
{
    ::unsetenv("SSH_AUTH_SOCK");
    TestSshServer gate;
    TestSshServer target;
    const std::string folder = target.scratch() + "/dotssh";
    fs::create_directories(folder);
    std::ofstream(folder + "/config") << "Host gate\n  HostName 127.0.0.1\n  Port " << gate.port() << "\n  User "
                                      << gate.user() << "\n  IdentityFile " << gate.clientFolder() << "/id_ed25519\n"
                                      << "Host target\n  HostName 127.0.0.1\n  Port " << target.port() << "\n  User "
                                      << target.user() << "\n  IdentityFile " << target.clientFolder()
                                      << "/id_ed25519\n  ProxyJump gate\n";
    ScriptedQuestions questions;  // keeps the host keys asked about
    sftp::SessionOptions options;
    options.timeout = 5000ms;
    options.sshFolder = folder;
    options.questions = questions;
    {
        sftp::Session session(options);
        const auto status = session.open("target", 22, "", "");
        ASSERT_TRUE(status.ok()) << status.message();
        std::vector<int> asked;
        for (const session::HostKeyReport& report : questions.hostKeys)
            asked.push_back(report.port);
        EXPECT_EQ(asked, (std::vector<int>{gate.port(), target.port()}));
        target.writeFile("through.txt", std::string(300000, 'j'));
        std::string path;
        ASSERT_TRUE(session.printWorkingDirectory(path).ok());
        ASSERT_TRUE(session.openFile(path + "/through.txt", session::TransferDirection::Download).ok());
        std::string got(400000, '\0');
        std::size_t total = 0, count = 0;
        do {
            ASSERT_TRUE(session.read(got.data() + total, got.size() - total, count).ok());
            total += count;
        } while (count > 0);
        EXPECT_EQ(total, 300000u);
        EXPECT_TRUE(session.closeFile().ok());
        EXPECT_NE(session.logonNotes().find("Host gate"), std::string::npos) << session.logonNotes();
        // The server's end closing reaches the session as a closed link, not a silence.
        target.kill();
        std::vector<session::ListEntry> listed;
        const auto lost = session.listFolder(path, listed);
        EXPECT_EQ(lost.kind(), session::ErrorKind::Network) << lost.message();
    }
    // Without the jump host there is no way in: the route went through it.
    gate.kill();
    sftp::Session session(options);
    const auto status = session.open("target", 22, "", "");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("jump host gate"), std::string::npos) << status.message();
}

} // namespace
