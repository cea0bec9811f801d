#pragma once
// What the windows need from a logged-on server, whatever protocol carries it.
// The handle-style client interface talks only to this; each protocol's engine
// implements it. Every call blocks until the server answers or the engine's
// time-out passes. Names and paths travel as the server's own bytes.

#include "session/remote_entry.h"
#include "session/status.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace session {

enum class TransferDirection { Download, Upload };

// The bytes of a partial copy the caller already holds, read on demand in
// order from the first. An engine whose final check covers the whole file (a
// digest) reads them; others never ask, so nothing is read for nothing.
class HeldBytes {
public:
    virtual ~HeldBytes() = default;
    // Fills up to `size` bytes that follow those read so far and returns how
    // many; 0 at their end or when they cannot be read, which leaves the
    // download with its size check alone.
    virtual std::size_t read(void* buffer, std::size_t size) = 0;
};

// What the server says stands at a path: something (a file, a folder, a
// link), nothing, or it has no way to tell.
enum class Presence { Present, Absent, Unknown };

class RemoteSession {
public:
    virtual ~RemoteSession() = default;

    // Connects, secures the link as the protocol allows and logs on.
    virtual Status open(const std::string& host, std::uint16_t port,
                        const std::string& user, const std::string& password) = 0;
    // Says goodbye where the protocol has a word for it and closes. Safe twice.
    virtual void close() = 0;
    // Closes without a word to the server, as when the process ends.
    virtual void abandon() = 0;
    // False once the link failed for good: later calls then fail at once.
    virtual bool isOpen() const = 0;

    virtual Status printWorkingDirectory(std::string& path) = 0;
    virtual Status changeDirectory(const std::string& path) = 0;
    virtual Status makeDirectory(const std::string& path) = 0;
    virtual Status removeDirectory(const std::string& path) = 0;
    virtual Status deleteFile(const std::string& path) = 0;
    virtual Status rename(const std::string& from, const std::string& to) = 0;
    // Asks the server now, not a listing seen earlier, whether `path` exists:
    // many servers let a rename replace a file without a word, so the caller
    // asks first. An engine that cannot ask keeps this default.
    virtual Status presenceOf(const std::string& path, Presence& presence)
    {
        (void)path;
        presence = Presence::Unknown;
        return Status::success();
    }

    // Every entry of one folder, read as one whole.
    virtual Status listFolder(const std::string& path, std::vector<ListEntry>& entries) = 0;

    // One file open at a time. `read` fills the whole request unless the file
    // ends, storing 0 in `count` at its end; the final check of a transfer
    // (the server's confirmation, sizes, digests) fails `read` at the end or
    // `closeFile`, never silently.
    virtual Status openFile(const std::string& path, TransferDirection direction) = 0;
    // A download that continues a partial copy of `offset` bytes (`held`), for
    // a file the caller knows (from a listing) to be `knownSize` bytes long and
    // last changed at `knownModified`. When the server shows another size or
    // date (the file changed), or cannot start part-way, the download starts
    // at the beginning instead, and `offset` is 0 on return: the caller must
    // look. An engine that cannot start part-way keeps this default.
    virtual Status resumeDownload(const std::string& path, std::uint64_t knownSize,
                                  const std::optional<DateTime>& knownModified, std::uint64_t& offset,
                                  HeldBytes& held)
    {
        (void)knownSize;
        (void)knownModified;
        (void)held;
        offset = 0;
        return openFile(path, TransferDirection::Download);
    }
    virtual Status read(void* buffer, std::size_t size, std::size_t& count) = 0;
    // True when `read` of `size` bytes would come back without waiting for the network.
    virtual bool readReady(std::size_t size) const = 0;
    virtual Status write(const void* buffer, std::size_t size) = 0;
    virtual Status closeFile() = 0;
    virtual bool isFileOpen() const = 0;
    // The open file is not the last of its batch: another transfer follows its
    // closeFile() at once. An engine may prepare that one meanwhile; it must
    // stay correct when nothing follows after all.
    virtual void anotherTransferFollows() {}
    // The same, naming the transfer that follows: an engine may start it
    // with the close of this one. It must stay correct when another comes.
    virtual void nextTransferIs(const std::string& path, TransferDirection direction)
    {
        (void)path;
        (void)direction;
        anotherTransferFollows();
    }

    // How the link is protected, for the padlock's tooltip ("TLSv1.3, TLS_AES_256_GCM_SHA384");
    // "" when it travels in clear.
    virtual std::string encryption() const = 0;
    // What shaped the last logon besides the window's fields (the user's
    // OpenSSH config entries, a config file that could not be read), one
    // sentence per line, for the status tooltip; "" for nothing.
    virtual std::string logonNotes() const { return {}; }
};

} // namespace session
