#pragma once
// The client's TLS configuration, shared by a session's control connection
// and its data connections: TLS 1.2 at least, no renegotiation, the system's
// cipher policy, the system's trusted roots plus any the caller adds.

#include "ftp/status.h"

#include <memory>
#include <string>

struct ssl_ctx_st;

namespace ftp {

struct TlsSettings {
    // Extra trusted authorities, used exactly as the system's roots are
    // (a PEM file of certificates, and/or a hashed folder as c_rehash makes).
    std::string authorityFile;
    std::string authorityFolder;
};

class TlsContext {
public:
    static Status create(const TlsSettings& settings, std::shared_ptr<TlsContext>& result);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    ssl_ctx_st* handle() const { return context_; }

private:
    explicit TlsContext(ssl_ctx_st* context) : context_(context) {}
    ssl_ctx_st* context_;
};

// The newest error in OpenSSL's queue as text (and the queue emptied).
std::string takeTlsError();

} // namespace ftp
