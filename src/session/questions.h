#pragma once
// Every question an engine may need the user to answer while it logs on, in
// one place and in plain data, so the windows answer them without knowing
// which protocol asks. An engine takes a Questions by reference; the default
// answers, for callers nobody can ask, refuse every risk and cancel every prompt.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace session {

// A server certificate that did not pass the check against the trusted roots
// and the host name: why it failed, whose it is, who vouches for it, when it
// is valid and its fingerprint.
struct CertificateReport {
    std::string host;  // as the user typed it
    std::uint16_t port = 0;
    std::vector<std::string> problems;  // one sentence each; empty = the certificate passed
    std::string subject;                // "CN=ftp.example.com, O=Example"
    std::string issuer;
    std::string validFrom;              // "2026-01-31 12:00:00 UTC"
    std::string validUntil;
    std::string sha256Fingerprint;      // "AB:CD:..." (32 bytes)

    bool trusted() const { return problems.empty(); }
};

// An SSH server's host key that no file vouches for.
struct HostKeyReport {
    std::string host;
    std::uint16_t port = 22;
    std::string keyType;      // "ssh-ed25519"
    std::string fingerprint;  // as OpenSSH writes it: "SHA256:" and unpadded base64
    // A key on record for this server that differs: its fingerprint. "" when
    // the server is new to us.
    std::string knownFingerprint;
};

// A key file that can be used only with its passphrase.
struct PassphraseRequest {
    std::string keyFile;  // the path, as the user would recognise it
    int attempt = 1;      // 1 for the first asking, 2 after one wrong passphrase...
};

// One round of an SSH server's keyboard-interactive questions, worded by the server.
struct InteractivePrompts {
    std::string host;
    std::string name;         // the server's title for the round; may be ""
    std::string instruction;  // the server's explanation; may be ""
    struct Prompt {
        std::string text;  // "Verification code: "
        bool echo = false; // false: the answer is secret and not shown as typed
    };
    std::vector<Prompt> prompts;
};

class Questions {
public:
    virtual ~Questions() = default;

    // The certificate failed the check: true trusts it for this logon.
    virtual bool trustCertificate(const CertificateReport& report)
    {
        (void)report;
        return false;
    }
    // The server refused encryption where the user did not insist on it: true
    // logs on in clear. Plain FTP is what such a logon asked for, so with
    // nobody to ask it goes on.
    virtual bool continueInClear(const std::string& host, std::uint16_t port)
    {
        (void)host;
        (void)port;
        return true;
    }
    // True trusts the key (and keeps it in the program's own store).
    virtual bool trustHostKey(const HostKeyReport& report)
    {
        (void)report;
        return false;
    }
    // The passphrase of a protected key; nothing skips that key.
    virtual std::optional<std::string> keyPassphrase(const PassphraseRequest& request)
    {
        (void)request;
        return std::nullopt;
    }
    // One answer per prompt, in order; nothing cancels the logon.
    virtual std::optional<std::vector<std::string>> answerPrompts(const InteractivePrompts& prompts)
    {
        (void)prompts;
        return std::nullopt;
    }
};

// The default answers, for a session nobody can be asked about: a caller that
// has no user (a test, a benchmark, a script) hands this one down.
inline Questions& nobodyToAsk()
{
    static Questions defaults;
    return defaults;
}

} // namespace session
