#pragma once
// The logon steps that encrypt a session (explicit FTP over TLS): AUTH TLS
// right after the greeting, so the credentials never travel in the clear, then
// PBSZ 0 and PROT P so every data connection is encrypted too, each one
// resuming the control connection's TLS session.

#include "ftp/ftp_session.h"
#include "ftp/operations/logon.h"
#include "ftp/transport/tls_context.h"
#include "ftp/transport/tls_stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ftp {

class SessionEncryption {
public:
    struct Settings {
        TlsMode mode = TlsMode::WhenOffered;
        TlsSettings tls;
        std::reference_wrapper<session::Questions> questions;
    };

    explicit SessionEncryption(Settings settings) : settings_(std::move(settings)) {}

    // Puts the encryption steps into `steps` (the standard list): AUTH TLS,
    // PBSZ 0 and PROT P after the greeting, before USER (PBSZ and PROT again
    // after the password for a server that wants them only then). The steps talk to
    // `host`:`port` as the user named it; the certificate is checked against that name.
    void addSteps(std::vector<LogonStep>& steps, const std::string& host, std::uint16_t port);

    // A new session: forgets that an earlier link was encrypted. What one
    // link's encryption knew (LinkEncryption) goes with that link.
    void forgetSession() { onceEncrypted_ = false; }

private:
    Status secureControl(LogonContext& context);
    Status handshake(LogonContext& context);
    Status protectData(LogonContext& context, bool beforeLogon);
    Status checkCertificate(const TlsStream& stream);

    Settings settings_;
    std::string host_;
    std::uint16_t port_ = 0;
    std::shared_ptr<TlsContext> context_;
    // This session's link was encrypted once: its later links must be too.
    bool onceEncrypted_ = false;
};

} // namespace ftp
