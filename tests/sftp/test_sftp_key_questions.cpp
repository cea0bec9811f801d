// What the SFTP logon asks the user, against real servers: a protected key's
// passphrase (sshd) and keyboard-interactive prompts (the scripted server).

#include "sftp/interactive_logon.h"
#include "sftp/sftp_session.h"
#include "support/scripted_sftp_server.h"
#include "support/test_ssh_server.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Answers from a script, in order, and keeps every question asked.
class RecordingQuestions : public session::Questions {
public:
    std::deque<std::optional<std::string>> passphrases;
    std::vector<session::PassphraseRequest> passphraseRequests;
    std::deque<std::optional<std::vector<std::string>>> promptAnswers;
    std::vector<session::InteractivePrompts> promptRounds;

    // The servers are the test's own: their keys are trusted.
    bool trustHostKey(const session::HostKeyReport&) override { return true; }
    std::optional<std::string> keyPassphrase(const session::PassphraseRequest& request) override
    {
        passphraseRequests.push_back(request);
        if (passphrases.empty())
            return std::nullopt;
        auto answer = passphrases.front();
        passphrases.pop_front();
        return answer;
    }
    std::optional<std::vector<std::string>> answerPrompts(const session::InteractivePrompts& prompts) override
    {
        promptRounds.push_back(prompts);
        if (promptAnswers.empty())
            return std::nullopt;
        auto answer = promptAnswers.front();
        promptAnswers.pop_front();
        return answer;
    }
};

struct PassphraseCase {
    const char* name;
    const char* key;  // the file under the ssh folder
    std::deque<std::optional<std::string>> answers;
    std::size_t asked;
    bool loggedOn;
};

TEST(SftpKeyPassphrase, aProtectedKeyIsAskedForByNameThreeTimesAtMostAndNothingSkipsIt)
{
    ::unsetenv("SSH_AUTH_SOCK");
    const TestSshServer server;
    const std::string folder = server.scratch() + "/dotssh";
    fs::create_directories(folder);
    runCommand("ssh-keygen -q -t ed25519 -N secret -C locked -f " + folder + "/id_ed25519");
    runCommand("ssh-keygen -q -t ecdsa -N secret -C stranger -f " + folder + "/id_ecdsa");
    std::string publicLine;
    std::getline(std::ifstream(folder + "/id_ed25519.pub"), publicLine);
    server.authorize(publicLine);
    const PassphraseCase cases[] = {
        {"right passphrase", "id_ed25519", {"secret"}, 1, true},
        {"wrong, then right", "id_ed25519", {"wrong", "secret"}, 2, true},
        {"three wrong", "id_ed25519", {"a", "b", "c", "secret"}, 3, false},
        {"cancel skips the key", "id_ed25519", {std::nullopt, "secret"}, 1, false},
        {"an empty answer skips it too", "id_ed25519", {"", "secret"}, 1, false},
    };
    for (const PassphraseCase& c : cases) {
        RecordingQuestions questions;
        questions.passphrases = c.answers;
        sftp::SessionOptions options;
        options.timeout = 5000ms;
        options.sshFolder = folder;
        options.questions = questions;
        sftp::Session session(options);
        const auto status = session.open("127.0.0.1", std::uint16_t(server.port()), server.user(), "");
        EXPECT_EQ(status.ok(), c.loggedOn) << c.name << ": " << status.message();
        // The ECDSA key's public half is not authorized: it is never asked for.
        ASSERT_EQ(questions.passphraseRequests.size(), c.asked) << c.name;
        for (std::size_t i = 0; i < c.asked; ++i) {
            EXPECT_EQ(questions.passphraseRequests[i].keyFile, folder + "/" + c.key) << c.name;
            EXPECT_EQ(questions.passphraseRequests[i].attempt, int(i + 1)) << c.name;
        }
    }
}

struct PromptCase {
    const char* name;
    const char* serverOption;
    std::deque<std::optional<std::vector<std::string>>> answers;
    std::size_t rounds;  // shown to the user
    bool loggedOn;
    const char* failureHas;
};

TEST(SftpInteractivePrompts, theServersOwnQuestionsReachTheUserAndThePasswordPromptTakesThePassword)
{
    using Answers = std::vector<std::string>;
    const Answers right{"123456", "corvell"};
    const PromptCase cases[] = {
        {"second factor", "--kbdint-second-factor", {right}, 1, true, ""},
        {"wrong code", "--kbdint-second-factor", {Answers{"000000", "corvell"}}, 1, false, "refused"},
        {"cancel ends the logon", "--kbdint-second-factor", {std::nullopt, right}, 1, false, "cancelled"},
        {"a server asking for ever is stopped", "--kbdint-loop", std::deque<std::optional<Answers>>(20, Answers{"1"}),
         10, false, "kept asking"},
    };
    for (const PromptCase& c : cases) {
        ScriptedSftpServer server({c.serverOption});
        RecordingQuestions questions;
        questions.promptAnswers = c.answers;
        sftp::SessionOptions options;
        options.timeout = 5000ms;
        options.sshFolder = server.root() + "/no-keys";
        options.questions = questions;
        sftp::Session session(options);
        const auto status = session.open("127.0.0.1", std::uint16_t(server.port()), "test", "secret");
        EXPECT_EQ(status.ok(), c.loggedOn) << c.name << ": " << status.message();
        if (!c.loggedOn) {
            EXPECT_EQ(status.kind(), session::ErrorKind::Refused) << c.name;
            EXPECT_NE(status.message().find(c.failureHas), std::string::npos) << c.name << ": " << status.message();
        }
        ASSERT_EQ(questions.promptRounds.size(), c.rounds) << c.name;
        if (c.serverOption == std::string("--kbdint-second-factor")) {
            // The password round went unseen; the second round came as the server worded it.
            const session::InteractivePrompts& round = questions.promptRounds.front();
            EXPECT_EQ(round.host, "127.0.0.1");
            EXPECT_EQ(round.name, "Second factor");
            EXPECT_EQ(round.instruction, "Enter the code sent to your phone.");
            ASSERT_EQ(round.prompts.size(), 2u);
            EXPECT_TRUE(round.prompts[0].text == "Verification code: " && !round.prompts[0].echo);
            EXPECT_TRUE(round.prompts[1].text == "Site: " && round.prompts[1].echo);
        }
    }
}

TEST(SftpInteractivePrompts, onlyThePasswordsOwnPromptGetsIt)
{
    const struct {
        const char* text;
        bool echo;
        bool password;
    } prompts[] = {
        {"Password: ", false, true},
        {"ann@web's password: ", false, true},
        {"PASSWORD FOR ann@web:", false, true},
        {"Password: ", true, false},
        {"New password: ", false, false},
        {"One-time password (OATH) for `ann': ", false, false},
        {"Verification code: ", false, false},
        {"PIN: ", false, false},
    };
    for (const auto& prompt : prompts)
        EXPECT_EQ(sftp::isPasswordPrompt(prompt.text, prompt.echo), prompt.password) << prompt.text;
}

} // namespace
