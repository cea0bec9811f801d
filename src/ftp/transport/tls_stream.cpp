#include "ftp/transport/tls_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

namespace ftp {

namespace {

bool isIpAddress(const std::string& host)
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

int verifyErrorsIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// The handshake goes on whatever the chain check finds: every failure is
// noted, and the session shows the certificate to the user before a single
// byte of the logon is sent over the connection.
int noteVerifyError(int preverified, X509_STORE_CTX* store)
{
    if (!preverified) {
        auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* errors = static_cast<std::vector<int>*>(SSL_get_ex_data(ssl, verifyErrorsIndex()));
        if (errors)
            errors->push_back(X509_STORE_CTX_get_error(store));
    }
    return 1;
}

// OpenSSL's own socket layer writes with plain send(), which raises SIGPIPE
// when the server has hung up and would end the program. This one goes
// through the engine's socket calls, which never do.
TlsStream::RawSocket& rawOf(BIO* bio) { return *static_cast<TlsStream::RawSocket*>(BIO_get_data(bio)); }

int bioWrite(BIO* bio, const char* data, int size)
{
    BIO_clear_retry_flags(bio);
    const long sent = sendSome(rawOf(bio).fd, data, std::size_t(size));
    if (sent == 0 && size > 0) {
        BIO_set_retry_write(bio);
        return -1;
    }
    return int(sent);
}

int bioRead(BIO* bio, char* buffer, int size)
{
    BIO_clear_retry_flags(bio);
    TlsStream::RawSocket& raw = rawOf(bio);
    const long received = receiveSome(raw.fd, buffer, std::size_t(size));
    if (received < 0 && wouldBlock(errno))
        BIO_set_retry_read(bio);
    if (received > 0) {
        raw.headSize = std::min(std::size_t(received), sizeof raw.head);
        std::memcpy(raw.head, buffer, raw.headSize);
    }
    return int(received);
}

long bioControl(BIO*, int command, long, void*)
{
    // Writes go straight to the socket: there is never anything to flush.
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

BIO* socketBio(TlsStream::RawSocket& raw)
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "corvell socket");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioControl);
        BIO_meth_set_create(m, bioCreate);
        return m;
    }();
    BIO* bio = BIO_new(method);
    if (bio)
        BIO_set_data(bio, &raw);
    return bio;
}

} // namespace

TlsStream::TlsStream(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context, SSL* ssl,
                     std::string host)
    : inner_(std::move(inner)), context_(std::move(context)), ssl_(ssl), host_(std::move(host))
{
    raw_.fd = inner_->fd();
}

TlsStream::~TlsStream()
{
    // The server ended the stream with close_notify (the end of a download or
    // a listing): answer it in kind, without waiting, as a proper close does.
    if (!shutDown_ && (SSL_get_shutdown(ssl_) & SSL_RECEIVED_SHUTDOWN))
        (void)SSL_shutdown(ssl_);
    // Freed without a shutdown (an aborted or cut transfer), OpenSSL marks the
    // session unresumable. Under TLS 1.2 that session is the control
    // connection's own, which every later data connection must resume
    // (ProFTPD and vsftpd refuse them otherwise): keep it usable.
    SSL_set_shutdown(ssl_, SSL_get_shutdown(ssl_) | SSL_SENT_SHUTDOWN);
    ERR_clear_error();
    SSL_free(ssl_);
}

Status TlsStream::connect(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context,
                          const std::string& host, const TlsResumption* resume, Deadline deadline,
                          std::unique_ptr<TlsStream>& result)
{
    std::unique_ptr<TlsStream> stream;
    if (Status s = start(std::move(inner), std::move(context), host, resume, stream); !s.ok())
        return s;
    if (Status s = stream->finish(deadline); !s.ok())
        return s;
    result = std::move(stream);
    return Status::success();
}

Status TlsStream::start(std::unique_ptr<Stream> inner, std::shared_ptr<TlsContext> context,
                        const std::string& host, const TlsResumption* resume, std::unique_ptr<TlsStream>& result)
{
    SSL* ssl = SSL_new(context->handle());
    if (!ssl)
        return Status::failure(ErrorKind::Network, "Cannot set up encryption: " + takeTlsError());
    std::unique_ptr<TlsStream> stream(new TlsStream(std::move(inner), std::move(context), ssl, host));
    SSL_set_ex_data(ssl, verifyErrorsIndex(), &stream->verifyErrors_);
    SSL_set_verify(ssl, SSL_VERIFY_PEER, noteVerifyError);
    BIO* bio = socketBio(stream->raw_);
    if (!bio)
        return Status::failure(ErrorKind::Network, "Cannot set up encryption: " + takeTlsError());
    SSL_set_bio(ssl, bio, bio);
    X509_VERIFY_PARAM* check = SSL_get0_param(ssl);
    if (isIpAddress(host)) {
        (void)X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str());
    } else {
        X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        (void)X509_VERIFY_PARAM_set1_host(check, host.c_str(), host.size());
        (void)SSL_set_tlsext_host_name(ssl, host.c_str());
    }
    if (resume && resume->session) {
        // A copy: a connection dropped before its end (an aborted download)
        // marks the session it resumed as unfit for resuming, and with TLS 1.2
        // that would be the control connection's own, and servers that want
        // every data connection resumed would refuse all later transfers
        // ("522 SSL connection failed: session reuse required", says vsftpd).
        if (SSL_SESSION* copy = SSL_SESSION_dup(resume->session.get())) {
            (void)SSL_set_session(ssl, copy);
            SSL_SESSION_free(copy);
        }
    }
    if (resume)
        stream->resumedFingerprint_ = resume->fingerprint;
    // The first flight (ClientHello) leaves now; its answer is finish()'s.
    ERR_clear_error();
    const int returned = SSL_connect(ssl);
    if (returned != 1) {
        const IoResult step = stream->result(returned, 0, "The encryption handshake failed");
        if (step.state == IoResult::State::Failed)
            return step.error;
    }
    result = std::move(stream);
    return Status::success();
}

Status TlsStream::finish(Deadline deadline)
{
    if (Status s = handshake(deadline); !s.ok())
        return s;
    // A data connection the server would not resume must at least show the
    // very certificate the user accepted for the control connection.
    if (resumedFingerprint_ && !resumed() && peerFingerprint() != *resumedFingerprint_)
        return Status::failure(ErrorKind::Insecure,
                               "The data connection presented a different certificate than the control connection");
    return Status::success();
}

Status TlsStream::handshake(Deadline deadline)
{
    for (;;) {
        ERR_clear_error();
        const int returned = SSL_connect(ssl_);
        if (returned == 1)
            return Status::success();
        const IoResult step = result(returned, 0, "The encryption handshake failed");
        if (step.state == IoResult::State::Failed)
            return step.error;
        if (step.state == IoResult::State::End)
            return Status::failure(ErrorKind::Network, "The server closed the connection during the encryption handshake");
        switch (wait(step.state, deadline)) {
        case WaitResult::Ready:
            continue;
        case WaitResult::TimedOut:
            return Status::failure(ErrorKind::Timeout, "The encryption handshake did not finish in time");
        case WaitResult::Failed:
            return Status::failure(ErrorKind::Network, "The encryption handshake failed: " + describeError(errno));
        }
    }
}

IoResult TlsStream::result(int returned, std::size_t moved, const char* what)
{
    IoResult io;
    if (returned > 0) {
        io.state = IoResult::State::Moved;
        io.count = moved;
        return io;
    }
    const int savedErrno = errno;
    switch (SSL_get_error(ssl_, returned)) {
    case SSL_ERROR_WANT_READ:
        io.state = IoResult::State::WantRead;
        return io;
    case SSL_ERROR_WANT_WRITE:
        io.state = IoResult::State::WantWrite;
        return io;
    case SSL_ERROR_ZERO_RETURN:
        io.state = IoResult::State::End;
        return io;
    case SSL_ERROR_SYSCALL:
        if (ERR_peek_error() == 0 && savedErrno != 0) {
            io.error = Status::failure(ErrorKind::Network, what ? std::string(what) + ": " + describeError(savedErrno)
                                                                : describeError(savedErrno));
            return io;
        }
        [[fallthrough]];
    default: {
        const unsigned long code = ERR_peek_last_error();
        // A peer that closes the socket without close_notify: the end of the
        // stream, but one that anybody on the path can forge. The layer above
        // decides what it is worth (endConfirmed()): a dropped control
        // connection, a cut data connection.
        if (ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING || (code == 0 && savedErrno == 0)) {
            ERR_clear_error();
            endUnannounced_ = true;
            io.state = IoResult::State::End;
            return io;
        }
        io.error = Status::failure(ErrorKind::Network, what ? std::string(what) + ": " + takeTlsError() : takeTlsError());
        return io;
    }
    }
}

IoResult TlsStream::readSome(char* buffer, std::size_t size)
{
    ERR_clear_error();
    std::size_t moved = 0;
    const int returned = SSL_read_ex(ssl_, buffer, size, &moved);
    if (returned <= 0 && SSL_get_error(ssl_, returned) == SSL_ERROR_SSL) {
        // OpenSSL took the first bytes for a record header and refused them;
        // the rest still waits on the socket (which never blocks).
        undecoded_.assign(raw_.head, raw_.headSize);
        char rest[512];
        if (const long received = receiveSome(raw_.fd, rest, sizeof rest); received > 0)
            undecoded_.append(rest, std::size_t(received));
    }
    // The caller says what failed, as with a connection in clear.
    return result(returned, moved, nullptr);
}

IoResult TlsStream::writeSome(const char* data, std::size_t size)
{
    ERR_clear_error();
    std::size_t moved = 0;
    const int returned = SSL_write_ex(ssl_, data, size, &moved);
    return result(returned, moved, nullptr);
}

std::size_t TlsStream::buffered() const
{
    return std::size_t(SSL_pending(ssl_));
}

WaitResult TlsStream::wait(IoResult::State want, Deadline deadline)
{
    if (want == IoResult::State::WantRead && SSL_pending(ssl_) > 0)
        return WaitResult::Ready;
    return waitFor(fd(), want == IoResult::State::WantWrite ? POLLOUT : POLLIN, deadline);
}

Status TlsStream::shutdown(Deadline deadline)
{
    while (!shutDown_) {
        ERR_clear_error();
        const int returned = SSL_shutdown(ssl_);
        if (returned >= 0) {
            shutDown_ = true;
            break;
        }
        const IoResult step = result(returned, 0, "Ending the encrypted connection failed");
        if (step.state != IoResult::State::WantRead && step.state != IoResult::State::WantWrite) {
            shutDown_ = true;
            if (step.state == IoResult::State::Failed)
                return step.error;
            break;
        }
        if (Status s = waitOrFail(step.state, deadline); !s.ok())
            return s;
    }
    if (Status s = inner_->shutdown(deadline); !s.ok())
        return s;
    // Wait for the server to end its side. The socket must not close while
    // the server still reads: records it sent meanwhile (TLS 1.3 session
    // tickets) would lie unread here, and closing over unread input resets
    // the connection, which throws away what the server had not yet read.
    char scratch[4096];
    for (;;) {
        const IoResult step = readSome(scratch, sizeof scratch);
        if (step.state == IoResult::State::End || step.state == IoResult::State::Failed)
            return Status::success();
        if (step.state == IoResult::State::Moved)
            continue;
        if (Status s = waitOrFail(step.state, deadline); !s.ok())
            return s;
    }
}

Status TlsStream::waitOrFail(IoResult::State want, Deadline deadline)
{
    switch (wait(want, deadline)) {
    case WaitResult::Ready:
        return Status::success();
    case WaitResult::TimedOut:
        return Status::failure(ErrorKind::Timeout, "The server did not end the encrypted connection in time");
    case WaitResult::Failed:
        break;
    }
    return Status::failure(ErrorKind::Network, "Ending the encrypted connection failed: " + describeError(errno));
}

CertificateReport TlsStream::certificateReport(std::uint16_t port) const
{
    X509* certificate = SSL_get1_peer_certificate(ssl_);
    CertificateReport report = describeCertificate(certificate, verifyErrors_, host_, port);
    X509_free(certificate);
    return report;
}

std::string TlsStream::description() const
{
    return std::string(SSL_get_version(ssl_)) + ", " + SSL_get_cipher_name(ssl_);
}

bool TlsStream::resumed() const
{
    return SSL_session_reused(ssl_) == 1;
}

TlsResumption TlsStream::resumption() const
{
    TlsResumption resumption;
    if (SSL_SESSION* session = SSL_get1_session(ssl_))
        resumption.session.reset(session, SSL_SESSION_free);
    resumption.fingerprint = peerFingerprint();
    return resumption;
}

std::string TlsStream::peerFingerprint() const
{
    X509* certificate = SSL_get1_peer_certificate(ssl_);
    std::string fingerprint = certificate ? certificateFingerprint(certificate) : std::string();
    X509_free(certificate);
    return fingerprint;
}

} // namespace ftp
