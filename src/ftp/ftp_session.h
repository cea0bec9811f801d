#pragma once
// A blocking FTP client session over POSIX sockets: one control connection,
// passive data connections, at most one open file transfer at a time.

#include "listing_entry.h"
#include "status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ftp {

struct SessionOptions {
    // Applies to connect, to every reply and to data inactivity.
    std::chrono::milliseconds timeout{30000};
};

enum class TransferDirection { Download, Upload };

class Session {
public:
    explicit Session(SessionOptions options = {});
    ~Session();  // closes without waiting on a misbehaving server
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects (IPv4 or IPv6), reads the greeting, logs in, asks FEAT,
    // switches names to UTF-8 when offered, and sets binary type.
    Status open(const std::string& host, std::uint16_t port,
                const std::string& user, const std::string& password);
    // Sends QUIT when possible and closes every socket. Safe to call twice.
    void close();
    // Closes every socket without a word to the server, as when the process ends.
    void abandon();
    // False once the control connection failed (timeout, malformed reply,
    // lost connection): later calls then fail at once and close() is quick.
    bool isOpen() const;

    Status printWorkingDirectory(std::string& path);
    Status changeDirectory(const std::string& path);
    Status makeDirectory(const std::string& path);
    Status removeDirectory(const std::string& path);
    Status deleteFile(const std::string& path);
    Status rename(const std::string& from, const std::string& to);

    // Lists one folder with one request: MLSD when the server offers MLST, else LIST.
    Status listFolder(const std::string& path, std::vector<ListEntry>& entries);

    // Streamed transfer of one file. `read` stores 0 in `count` at the end of the file.
    // `read` fills the whole request unless the file ends, so a short count means
    // the end; at the end it also takes the server's final reply, and a stream
    // the server calls broken (426, 451...) fails there. Both calls go through
    // buffers of 256 KiB. Names and paths travel as the caller's bytes.
    Status openFile(const std::string& path, TransferDirection direction);
    Status read(void* buffer, std::size_t size, std::size_t& count);
    Status write(const void* buffer, std::size_t size);
    // Ends the transfer and reads the server's final reply: only a 2xx after a
    // clean data stream is success. A download closed before its end is aborted
    // (never success) and the session stays usable.
    Status closeFile();
    bool isFileOpen() const;

    // True when the server accepted OPTS UTF8 ON.
    bool utf8Names() const;
    bool offersMlst() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace ftp
