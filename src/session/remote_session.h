#pragma once
// What the windows need from a logged-on server, whatever protocol carries it.
// The handle-style client interface talks only to this; each protocol's engine
// implements it. Every call blocks until the server answers or the engine's
// time-out passes. Names and paths travel as the server's own bytes.

#include "session/remote_entry.h"
#include "session/status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace session {

enum class TransferDirection { Download, Upload };

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

    // Every entry of one folder, read as one whole.
    virtual Status listFolder(const std::string& path, std::vector<ListEntry>& entries) = 0;

    // One file open at a time. `read` fills the whole request unless the file
    // ends, storing 0 in `count` at its end; the final check of a transfer
    // (the server's confirmation, sizes, digests) fails `read` at the end or
    // `closeFile`, never silently.
    virtual Status openFile(const std::string& path, TransferDirection direction) = 0;
    // A download that continues a partial copy of `offset` bytes, for a file the
    // caller knows to be `knownSize` bytes long. When the server gives another
    // size (the file changed) or cannot start part-way, the download starts at
    // the beginning instead, and `offset` is 0 on return; the caller must look.
    // An engine that cannot start part-way keeps this default.
    virtual Status resumeDownload(const std::string& path, std::uint64_t knownSize, std::uint64_t& offset)
    {
        (void)knownSize;
        offset = 0;
        return openFile(path, TransferDirection::Download);
    }
    // After resumeDownload, before the first `read`: true while the final check
    // (a digest) wants the `offset` bytes the caller already holds, which it
    // then passes, in order, to addHeldBytes. Held bytes not passed in full
    // leave a resumed download with its size check alone.
    virtual bool wantsHeldBytes() const { return false; }
    virtual void addHeldBytes(const void* data, std::size_t size)
    {
        (void)data;
        (void)size;
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

    // How the link is protected, for the padlock's tooltip ("TLSv1.3, TLS_AES_256_GCM_SHA384");
    // "" when it travels in clear.
    virtual std::string encryption() const = 0;
    // What shaped the last logon besides the window's fields (the user's
    // OpenSSH config entries, a config file that could not be read), one
    // sentence per line, for the status tooltip; "" for nothing.
    virtual std::string logonNotes() const { return {}; }
};

} // namespace session
