#pragma once
// TLS over an established stream (the control connection after "234", or a
// data connection). OpenSSL moves the bytes on the socket through the
// engine's own socket calls; the plain stream underneath keeps owning the
// socket and half-closes it after close_notify.

#include "ftp/transport/certificate_check.h"
#include "ftp/transport/stream.h"
#include "ftp/transport/tls_context.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ssl_st;
struct ssl_session_st;

namespace ftp {

// What a data connection needs of its control connection to resume the same
// TLS session: an owned copy of the session, and the certificate the user
// accepted, which a data connection the server would not resume must show.
struct TlsResumption {
    std::shared_ptr<ssl_session_st> session;
    std::string fingerprint;
};

class TlsStream final : public Stream {
public:
    // Performs the client handshake over `inner` before `deadline`. `host` is
    // the name the user typed: the certificate is checked against it (DNS name
    // or IP address). A data connection passes its control connection's
    // `resume`, so the server sees the same TLS session again.
    static Status connect(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context,
                          const std::string& host, const TlsResumption* resume, Deadline deadline,
                          std::unique_ptr<TlsStream>& result);
    // The same in two halves, so that other work overlaps the handshake's
    // first round trip: start() sends the first flight without waiting,
    // finish() completes the handshake (and its checks) before `deadline`.
    static Status start(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context,
                        const std::string& host, const TlsResumption* resume, std::unique_ptr<TlsStream>& result);
    Status finish(Deadline deadline);
    ~TlsStream() override;

    IoResult readSome(char* buffer, std::size_t size) override;
    IoResult writeSome(const char* data, std::size_t size) override;
    std::size_t buffered() const override;
    WaitResult wait(IoResult::State want, Deadline deadline) override;
    Status shutdown(Deadline deadline) override;
    int fd() const override { return inner_->fd(); }
    std::string undecodedInput() const override { return undecoded_; }
    bool endConfirmed() const override { return !endUnannounced_; }

    // The outcome of the certificate check made during the handshake.
    CertificateReport certificateReport(std::uint16_t port) const;
    // "TLSv1.3, TLS_AES_256_GCM_SHA384"
    std::string description() const;
    // True when the handshake resumed the session it was given.
    bool resumed() const;
    // A copy of this connection's session as it stands now (TLS 1.3 tickets
    // arrive after the handshake), for data connections to resume.
    TlsResumption resumption() const;
    // The SHA-256 fingerprint of the server's certificate ("" after resumption
    // on a connection that got none).
    std::string peerFingerprint() const;

private:
    TlsStream(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context, ssl_st* ssl,
              std::string host);
    IoResult result(int returned, std::size_t moved, const char* what);
    Status handshake(Deadline deadline);
    Status waitOrFail(IoResult::State want, Deadline deadline);

public:
    // What OpenSSL reads from the socket goes through here; the first bytes
    // of the latest read are kept to make sense of a refused record.
    struct RawSocket {
        int fd = -1;
        char head[8] = {};
        std::size_t headSize = 0;
    };

private:
    std::unique_ptr<Stream> inner_;
    RawSocket raw_;
    std::shared_ptr<TlsContext> context_;  // outlives ssl_
    ssl_st* ssl_;
    std::string host_;
    std::vector<int> verifyErrors_;  // every failure the chain check met
    std::string undecoded_;
    std::optional<std::string> resumedFingerprint_;  // the control connection's, for a data connection          // what a failed read found instead of a record
    bool shutDown_ = false;
    bool endUnannounced_ = false;  // the socket closed without close_notify
};

} // namespace ftp
