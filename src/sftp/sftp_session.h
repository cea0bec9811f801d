#pragma once
// A blocking SFTP client session over SSH (libssh): the server's host key
// checked before anything is sent for the logon, keys from the agent and the
// user's key files tried before the password, at most one file open at a
// time, its blocks pipelined.

#include "sftp/listing_limits.h"
#include "session/questions.h"
#include "session/remote_session.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sftp {

struct SessionOptions {
    // Applies to connect, the key exchange, each step of the logon and every request.
    std::chrono::milliseconds timeout{30000};
    // The user's OpenSSH folder, with config, known_hosts and the default
    // key files; "" for ~/.ssh.
    std::string sshFolder;
    // The program's own known_hosts-format file of keys the user accepted;
    // "" keeps no answer.
    std::string hostKeyStore;
    // Asked about a key no file vouches for, before the logon (trustHostKey),
    // for a key's passphrase and for the server's keyboard-interactive
    // prompts. Must outlive the session.
    std::reference_wrapper<session::Questions> questions = session::nobodyToAsk();
    // Where a server that lists for ever is cut off.
    ListingLimits listingLimits;
};

using session::ListEntry;
using session::Status;
using session::TransferDirection;

class Session final : public session::RemoteSession {
public:
    explicit Session(SessionOptions options = {});
    ~Session() override;  // closes without waiting on a misbehaving server
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Status open(const std::string& host, std::uint16_t port,
                const std::string& user, const std::string& password) override;
    void close() override;
    void abandon() override;
    bool isOpen() const override;

    // SFTP has no current folder on the server: the session keeps one, and
    // changing to a path checks that it is a folder.
    Status printWorkingDirectory(std::string& path) override;
    Status changeDirectory(const std::string& path) override;
    Status makeDirectory(const std::string& path) override;
    Status removeDirectory(const std::string& path) override;
    Status deleteFile(const std::string& path) override;
    // SFTP's rename already refuses a name that exists (version 3 has no
    // overwrite); asking first lets the caller say why.
    Status rename(const std::string& from, const std::string& to) override;
    // LSTAT: a link counts as there even when it leads nowhere.
    Status presenceOf(const std::string& path, session::Presence& presence) override;
    Status listFolder(const std::string& path, std::vector<ListEntry>& entries) override;

    Status openFile(const std::string& path, TransferDirection direction) override;
    // Reads on from `offset` when the server's size and date are still
    // `knownSize` and `knownModified` (the date as a listing shows it); from 0
    // otherwise. The held bytes are not read: SFTP has no digest to feed.
    Status resumeDownload(const std::string& path, std::uint64_t knownSize,
                          const std::optional<session::DateTime>& knownModified, std::uint64_t& offset,
                          session::HeldBytes& held) override;
    Status read(void* buffer, std::size_t size, std::size_t& count) override;
    bool readReady(std::size_t size) const override;
    Status write(const void* buffer, std::size_t size) override;
    // A download is whole only when every byte to the end arrived and no
    // fewer than the server's size; an upload only when every block was
    // confirmed, the server holds as many bytes as were sent and the close
    // was confirmed.
    Status closeFile() override;
    bool isFileOpen() const override;
    // A transfer followed by another the same way has the next one's open
    // travel with its close. An upload's next file is opened without
    // emptying it: written over and cut to its length only once this file
    // checked whole; left as it was, or removed when it was not there, if
    // another operation comes instead.
    void nextTransferIs(const std::string& path, TransferDirection direction) override;

    // "SSH-2, curve25519-sha256, chacha20-poly1305@openssh.com".
    std::string encryption() const override;
    // Which ~/.ssh/config entries shaped the last logon, and config files
    // that could not be read; "" when no config took part.
    std::string logonNotes() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace sftp
