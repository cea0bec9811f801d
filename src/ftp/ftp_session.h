#pragma once
// A blocking FTP client session over POSIX sockets: one control connection,
// passive data connections, at most one open file transfer at a time.

#include "ftp/listing_entry.h"
#include "session/questions.h"
#include "session/remote_session.h"
#include "ftp/status.h"
#include "ftp/transport/tls_context.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ftp {

// How the session encrypts. Whatever the mode, a session that was encrypted
// once never logs on again in clear (after the server dropped an idle link):
// refusing AUTH TLS then fails the logon.
enum class TlsMode {
    WhenOffered,  // AUTH TLS; a server that refuses it is asked about (continueInClear)
    Required,     // AUTH TLS or no logon: nothing else is sent in clear
    Implicit,     // TLS from the first byte (usually port 990), no AUTH TLS
};

struct SessionOptions {
    SessionOptions() = default;
    explicit SessionOptions(std::chrono::milliseconds replyTimeout) : timeout(replyTimeout) {}

    // Applies to connect, to every reply, to TLS handshakes and to data inactivity.
    std::chrono::milliseconds timeout{30000};
    TlsMode tlsMode = TlsMode::WhenOffered;
    // Authorities trusted besides the system's roots.
    TlsSettings tls;
    // Asked, before anything is sent over the encrypted connection, when the
    // server's certificate fails the check (trustCertificate), and when the
    // server refuses AUTH TLS in WhenOffered mode on a session never encrypted
    // before (continueInClear). Must outlive the session.
    std::reference_wrapper<session::Questions> questions = session::nobodyToAsk();
};

using session::TransferDirection;

class Session final : public session::RemoteSession {
public:
    explicit Session(SessionOptions options = {});
    ~Session() override;  // closes without waiting on a misbehaving server
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects (IPv4 or IPv6), reads the greeting, secures the connection with
    // TLS when the server offers it (AUTH TLS, then PBSZ 0 and PROT P after
    // the logon, so every data connection is encrypted too), logs in, asks FEAT,
    // switches names to UTF-8 when offered, and sets binary type.
    Status open(const std::string& host, std::uint16_t port,
                const std::string& user, const std::string& password) override;
    // Sends QUIT when possible and closes every socket. Safe to call twice.
    void close() override;
    // Closes every socket without a word to the server, as when the process ends.
    void abandon() override;
    // False once the control connection failed (timeout, malformed reply,
    // lost connection): later calls then fail at once and close() is quick.
    bool isOpen() const override;

    Status printWorkingDirectory(std::string& path) override;
    Status changeDirectory(const std::string& path) override;
    Status makeDirectory(const std::string& path) override;
    Status removeDirectory(const std::string& path) override;
    Status deleteFile(const std::string& path) override;
    Status rename(const std::string& from, const std::string& to) override;
    // MLST where offered, else SIZE, else a listing of the path's folder.
    Status presenceOf(const std::string& path, session::Presence& presence) override;

    // Lists one folder with one request: MLSD when the server offers MLST, else LIST.
    Status listFolder(const std::string& path, std::vector<ListEntry>& entries) override;

    // Streamed transfer of one file. `read` stores 0 in `count` at the end of the file.
    // `read` fills the whole request unless the file ends, so a short count means
    // the end; at the end it also takes the server's final reply, and a stream
    // the server calls broken (426, 451...) fails there. Both calls go through
    // buffers of 256 KiB. Names and paths travel as the caller's bytes.
    Status openFile(const std::string& path, TransferDirection direction) override;
    // REST <offset> goes just before RETR, without a round trip of its own;
    // the server's SIZE (asked anyway) must equal `knownSize`, and a REST not
    // answered 350 leaves the RETR to send the whole file. The date is not
    // asked for: the size and the digest tell a changed file. The size check
    // and the digest then cover the whole file: the held bytes are read and
    // digested first, when the server offers a digest.
    Status resumeDownload(const std::string& path, std::uint64_t knownSize,
                          const std::optional<session::DateTime>& knownModified, std::uint64_t& offset,
                          session::HeldBytes& held) override;
    Status read(void* buffer, std::size_t size, std::size_t& count) override;
    // True when `read` of `size` bytes would come back without waiting for the
    // network (so a caller can show its progress before a wait).
    bool readReady(std::size_t size) const override;
    Status write(const void* buffer, std::size_t size) override;
    // Ends the transfer and reads the server's final reply: only a 2xx after a
    // clean data stream is success. A download closed before its end is aborted
    // (never success) and the session stays usable.
    // Where the server offers SIZE, a download is asked its size before RETR
    // and fails (at its last read and here) when fewer bytes arrived; more are
    // accepted, as a file may grow while it is read. An upload fails here when
    // the server's size afterwards differs from the bytes written. Where the
    // server offers HASH (SHA-256 or SHA-1) or XSHA256/XSHA1, a download of up
    // to 1 GiB is digested as it arrives and fails when the server's digest
    // differs; a refused digest is no failure, only no check.
    Status closeFile() override;
    bool isFileOpen() const override;
    // The next transfer's passive port is asked for while this one is checked
    // (with the digest request or the upload's SIZE), its reply read by that
    // transfer: one round trip less per file. Any other command drops it.
    void anotherTransferFollows() override;

    // "TLSv1.3, TLS_AES_256_GCM_SHA384" while the session is encrypted, "" in clear.
    std::string encryption() const override;

    // True when the server lists UTF8 in FEAT (names travel as UTF-8).
    bool utf8Names() const;
    bool offersMlst() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace ftp
