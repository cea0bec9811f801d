#include "sftp/interactive_logon.h"

#include "session/questions.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace sftp {
namespace {

// A server still asking after this many rounds is going round in circles.
constexpr int maxRounds = 10;

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

bool isPasswordPrompt(const std::string& text, bool echo)
{
    const std::string words = lowered(text);
    if (echo || words.find("password") == std::string::npos)
        return false;
    // "New password:", "Retype new password:" (an expired password being
    // changed) and "One-time password (OATH) for `ann':" want something else.
    for (const char* other : {"new", "one-time", "one time", "otp", "oath", "token", "code"}) {
        if (words.find(other) != std::string::npos)
            return false;
    }
    return true;
}

InteractiveOutcome answerKeyboardInteractive(ssh_session ssh, const std::string& host, const std::string& password,
                                             session::Questions* questions)
{
    bool passwordGiven = false;
    int result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    for (int round = 0; result == SSH_AUTH_INFO; ++round) {
        if (round == maxRounds)
            return {SSH_AUTH_DENIED, "The server kept asking questions (" + std::to_string(maxRounds)
                                         + " rounds); the logon was stopped"};
        const int count = ssh_userauth_kbdint_getnprompts(ssh);
        session::InteractivePrompts asked;
        asked.host = host;
        asked.name = ssh_userauth_kbdint_getname(ssh) ? ssh_userauth_kbdint_getname(ssh) : "";
        asked.instruction = ssh_userauth_kbdint_getinstruction(ssh) ? ssh_userauth_kbdint_getinstruction(ssh) : "";
        std::vector<std::string> answers(std::size_t(std::max(count, 0)));
        std::vector<std::size_t> askedIndex;
        bool passwordAsked = false;
        for (int index = 0; index < count; ++index) {
            char echo = 0;
            const char* text = ssh_userauth_kbdint_getprompt(ssh, unsigned(index), &echo);
            const std::string prompt = text ? text : "";
            // The window's password answers the first time only: asked again,
            // it was wrong, and the user may know better.
            if (!password.empty() && !passwordGiven && isPasswordPrompt(prompt, echo != 0)) {
                answers[std::size_t(index)] = password;
                passwordAsked = true;
                continue;
            }
            asked.prompts.push_back({prompt, echo != 0});
            askedIndex.push_back(std::size_t(index));
        }
        passwordGiven = passwordGiven || passwordAsked;
        if (!asked.prompts.empty()) {
            std::optional<std::vector<std::string>> given;
            if (questions)
                given = questions->answerPrompts(asked);
            if (!given || given->size() != asked.prompts.size())
                return {SSH_AUTH_DENIED, "The logon was cancelled at the server's question \""
                                             + asked.prompts.front().text + "\""};
            for (std::size_t i = 0; i < askedIndex.size(); ++i)
                answers[askedIndex[i]] = (*given)[i];
        }
        for (int index = 0; index < count; ++index) {
            if (ssh_userauth_kbdint_setanswer(ssh, unsigned(index), answers[std::size_t(index)].c_str()) < 0)
                return {SSH_AUTH_ERROR, ""};
        }
        result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    }
    return {result, ""};
}

} // namespace sftp
