#pragma once
// The engine's questions answered as a test decides, each question kept.

#include "session/questions.h"

#include <vector>

struct ScriptedQuestions final : session::Questions {
    bool certificateAnswer = false;
    bool clearTextAnswer = true;
    bool hostKeyAnswer = true;
    std::vector<session::CertificateReport> certificates;
    int clearTextAsked = 0;
    std::vector<session::HostKeyReport> hostKeys;

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
};

// For suites whose SSH server is their own, set up for the run: its key is trusted.
inline session::Questions& trustingHostKeys()
{
    static ScriptedQuestions questions;
    return questions;
}
