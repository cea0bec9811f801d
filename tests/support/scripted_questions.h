#pragma once
// The engine's questions answered as a test decides, each question kept.

#include "session/questions.h"

#include <optional>
#include <string>
#include <vector>

struct ScriptedQuestions final : session::Questions {
    bool certificateAnswer = false;
    bool clearTextAnswer = true;
    bool hostKeyAnswer = true;
    std::vector<session::CertificateReport> certificates;
    int clearTextAsked = 0;
    std::vector<session::HostKeyReport> hostKeys;
    // Given in turn to the passphrase questions; none left: the key is skipped.
    std::vector<std::string> passphrases;
    std::vector<session::PassphraseRequest> passphraseRequests;
    // The answer to every keyboard-interactive prompt; none: cancelled.
    std::optional<std::string> promptAnswer;
    std::vector<session::InteractivePrompts> promptRounds;

    bool trustCertificate(const session::CertificateReport& report) override
    {
        certificates.push_back(report);
        return certificateAnswer;
    }
    bool continueInClear(const std::string&, std::uint16_t) override
    {
        ++clearTextAsked;
        return clearTextAnswer;
    }
    bool trustHostKey(const session::HostKeyReport& report) override
    {
        hostKeys.push_back(report);
        return hostKeyAnswer;
    }
    std::optional<std::string> keyPassphrase(const session::PassphraseRequest& request) override
    {
        passphraseRequests.push_back(request);
        if (passphraseRequests.size() > passphrases.size())
            return std::nullopt;
        return passphrases[passphraseRequests.size() - 1];
    }
    std::optional<std::vector<std::string>> answerPrompts(const session::InteractivePrompts& round) override
    {
        promptRounds.push_back(round);
        if (!promptAnswer)
            return std::nullopt;
        return std::vector<std::string>(round.prompts.size(), *promptAnswer);
    }
};

// For suites whose SSH server is their own, set up for the run: its key is trusted.
inline session::Questions& trustingHostKeys()
{
    static ScriptedQuestions questions;
    return questions;
}
