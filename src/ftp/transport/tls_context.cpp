#include "ftp/transport/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace ftp {

std::string takeTlsError()
{
    unsigned long last = 0;
    while (const unsigned long code = ERR_get_error())
        last = code;
    if (last == 0)
        return "unknown TLS error";
    char text[256];
    ERR_error_string_n(last, text, sizeof text);
    return text;
}

Status TlsContext::create(const TlsSettings& settings, std::shared_ptr<TlsContext>& result)
{
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context)
        return Status::failure(ErrorKind::Network, "Cannot set up encryption: " + takeTlsError());
    std::shared_ptr<TlsContext> owner(new TlsContext(context));
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // FTP never needs a renegotiation, and one could bring in a certificate
    // that nobody checked (and that later data connections would then be
    // compared with). A server that asks for one gets a refusal.
    SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION);
    // Partial writes let one call hand over what fits, as send() does; the
    // caller may retry with its buffer at a new place after a wait.
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions are kept by hand: each data connection resumes its own control
    // connection's session, never one of another server.
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
    if (SSL_CTX_set_default_verify_paths(context) != 1)
        (void)takeTlsError();  // no system roots: every certificate is then asked about
    if (!settings.authorityFile.empty() || !settings.authorityFolder.empty()) {
        const char* file = settings.authorityFile.empty() ? nullptr : settings.authorityFile.c_str();
        const char* folder = settings.authorityFolder.empty() ? nullptr : settings.authorityFolder.c_str();
        if (SSL_CTX_load_verify_locations(context, file, folder) != 1)
            return Status::failure(ErrorKind::InvalidArgument,
                                   "Cannot read the trusted certificates: " + takeTlsError());
    }
    result = std::move(owner);
    return Status::success();
}

TlsContext::~TlsContext()
{
    SSL_CTX_free(context_);
}

} // namespace ftp
