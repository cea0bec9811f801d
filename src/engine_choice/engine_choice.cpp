#include "engine_choice/engine_choice.h"

#include "ftp/ftp_session.h"
#include "sftp/sftp_session.h"

namespace engine_choice {

std::unique_ptr<session::RemoteSession> createSession(Protocol protocol, ConnectOptions options)
{
    switch (protocol) {
    case Protocol::Ftp:
    case Protocol::FtpExplicitTls:
    case Protocol::FtpImplicitTls: {
        ftp::SessionOptions ftpOptions;
        ftpOptions.timeout = options.timeout;
        if (protocol == Protocol::FtpExplicitTls)
            ftpOptions.tlsMode = ftp::TlsMode::Required;
        else if (protocol == Protocol::FtpImplicitTls)
            ftpOptions.tlsMode = ftp::TlsMode::Implicit;
        ftpOptions.tls.authorityFile = std::move(options.trustedAuthorities);
        ftpOptions.questions = options.questions;
        return std::make_unique<ftp::Session>(std::move(ftpOptions));
    }
    case Protocol::Sftp: {
        sftp::SessionOptions sftpOptions;
        sftpOptions.timeout = options.timeout;
        sftpOptions.sshFolder = std::move(options.sshFolder);
        sftpOptions.hostKeyStore = std::move(options.hostKeyStore);
        sftpOptions.questions = options.questions;
        return std::make_unique<sftp::Session>(std::move(sftpOptions));
    }
    }
    return nullptr;
}

} // namespace engine_choice
