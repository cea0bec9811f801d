#pragma once
// The messages of SFTP version 3 (draft-ietf-secsh-filexfer-02), the version
// OpenSSH and nearly every server speaks: how each request is written and how
// each answer is read. Pure functions over bytes; no channel here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sftp {

enum class MessageType : std::uint8_t {
    Init = 1, Version = 2, Open = 3, Close = 4, Read = 5, Write = 6, Lstat = 7, Fstat = 8, Fsetstat = 10,
    Opendir = 11, Readdir = 12, Remove = 13, Mkdir = 14, Rmdir = 15, Realpath = 16, Stat = 17,
    Rename = 18,
    Status = 101, Handle = 102, Data = 103, Name = 104, Attrs = 105,
};

// The codes of a STATUS answer.
enum StatusCode : std::uint32_t {
    StatusOk = 0, StatusEof = 1, StatusNoSuchFile = 2, StatusPermissionDenied = 3, StatusFailure = 4,
    StatusBadMessage = 5, StatusNoConnection = 6, StatusConnectionLost = 7, StatusUnsupported = 8,
};

constexpr std::uint32_t openRead = 0x01;
constexpr std::uint32_t openWrite = 0x02;
constexpr std::uint32_t openCreate = 0x08;
constexpr std::uint32_t openTruncate = 0x10;

// A message longer than this is nonsense from the server: OpenSSH's own
// limit is 256 KiB, and no answer we ask for is larger.
constexpr std::uint32_t maxMessageLength = 1024 * 1024;

struct Attributes {
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> permissions;  // with the file type bits of stat()
    std::optional<std::uint32_t> modified;     // seconds since 1970, UTC
    bool isFolder() const { return permissions && (*permissions & 0170000) == 0040000; }
    bool isLink() const { return permissions && (*permissions & 0170000) == 0120000; }
};

struct NameEntry {
    std::string name;      // the server's bytes
    std::string longName;  // "ls -l" style line; only for showing
    Attributes attributes;
};

// One answer from the server, taken apart by its type.
struct Response {
    MessageType type{};
    std::uint32_t id = 0;
    std::uint32_t statusCode = 0;  // Status
    std::string text;              // Status: the server's message; Handle: the handle; Data: the bytes
    std::vector<NameEntry> names;  // Name
    Attributes attributes;         // Attrs
};

// Builds one request: the length prefix is filled in by finish().
class RequestWriter {
public:
    RequestWriter(MessageType type, std::uint32_t id);
    // INIT carries the version where other messages carry their id.
    static RequestWriter init(std::uint32_t version);
    RequestWriter& add(std::uint32_t value);
    RequestWriter& add64(std::uint64_t value);
    RequestWriter& addString(std::string_view bytes);
    // An attribute block with no attribute: the server's defaults.
    RequestWriter& addNoAttributes();
    // An attribute block with the size alone.
    RequestWriter& addSizeAttribute(std::uint64_t size);
    // The request's id, as written.
    std::uint32_t id() const;
    // Appends the finished message to `out`.
    void finishInto(std::string& out);

private:
    RequestWriter() = default;
    std::string bytes_;
};

// The length of the message at the front of `buffer` (without its own four
// bytes), or nothing while fewer than four bytes are there.
std::optional<std::uint32_t> messageLength(std::string_view buffer);

// Takes apart one message body (type byte onward). Nothing for a malformed
// or unknown message.
std::optional<Response> parseResponse(std::string_view body);

// The version the server answered INIT with.
std::optional<std::uint32_t> parseVersion(std::string_view body);

} // namespace sftp
