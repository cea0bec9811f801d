#pragma once
// The windows' side of encrypted connections: the questions the engine asks
// during logon (a certificate that failed the check, a server that no longer
// offers encryption), answered through the user dialogs and remembered per
// server; and the padlock that shows while a session is encrypted.

#include "ftp/transport/certificate_check.h"
#include "sftp/host_key_report.h"

#include <QString>

#include <cstdint>

class Form1;

// Makes the logon ask the user, with `window` as the boxes' parent.
void installConnectionQuestions(Form1* window);

// After a successful logon: `description` ("TLSv1.3, TLS_AES_...") is the
// encryption in use, "" for none. An encrypted server is remembered as such.
void showConnectionEncryption(Form1* window, const QString& host, std::uint16_t port, const QString& description);
// After logoff: no padlock, no tooltip.
void hideConnectionEncryption(Form1* window);

// The texts of the two questions.
QString certificateQuestion(const ftp::CertificateReport& report, bool changed);
QString withoutEncryptionQuestion(const QString& host, std::uint16_t port);
// The SSH host key question: a key on record for no file, or (with
// report.knownFingerprint) a key that differs from the one on record.
QString hostKeyQuestion(const sftp::HostKeyReport& report);
