#pragma once
// The windows' side of encrypted connections: the questions the engine asks
// during logon (a certificate that failed the check, a server that no longer
// offers encryption, an SSH host key, a key's passphrase, the server's own prompts), answered through the user dialogs and remembered per
// server; and the padlock that shows while a session is encrypted.

#include "engine_choice/endpoint.h"
#include "session/questions.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class Form1;
class QWidget;

// The engine's questions put to the user, through the user dialogs, with
// `parent` as the boxes' parent; certificates trusted once and servers that
// spoke TLS are remembered per server. A child of the window, so it lives as
// long as the window; connections still asking it are dropped when it goes.
class ConnectionQuestions final : public QObject, public session::Questions {
    Q_OBJECT
public:
    explicit ConnectionQuestions(QWidget* parent);
    ~ConnectionQuestions() override;

    bool trustCertificate(const session::CertificateReport& report) override;
    bool continueInClear(const std::string& host, std::uint16_t port) override;
    bool trustHostKey(const session::HostKeyReport& report) override;
    // Passphrases typed are kept in memory for this run, by key file, so a
    // later logon with the same key asks again only when it no longer fits.
    std::optional<std::string> keyPassphrase(const session::PassphraseRequest& request) override;
    std::optional<std::vector<std::string>> answerPrompts(const session::InteractivePrompts& prompts) override;

private:
    QPointer<QWidget> parent_;
    std::map<std::string, std::string> passphrases_;  // by key file; never written anywhere
};

// Makes the logon ask the user, with `window` as the boxes' parent.
void installConnectionQuestions(Form1* window);

// After a successful logon: `description` ("TLSv1.3, TLS_AES_...") is the
// encryption in use, "" for none. An encrypted server is remembered as such.
void showConnectionEncryption(Form1* window, const engine_choice::Endpoint& endpoint, const QString& description);
// After logoff: no padlock, no tooltip.
void hideConnectionEncryption(Form1* window);

// The texts of the two questions.
QString certificateQuestion(const session::CertificateReport& report, bool changed);
QString withoutEncryptionQuestion(const QString& host, std::uint16_t port);
// The SSH host key question: a key on record for no file, or (with
// report.knownFingerprint) a key that differs from the one on record.
QString hostKeyQuestion(const session::HostKeyReport& report);
