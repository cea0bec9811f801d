#pragma once
// The handle-style FTP client interface the windows call. Every operation
// blocks until the server answers. A handle is an opaque number, 0 = absent.
// The constants mirror the classic internet client library so the windows read
// like the procedures they implement; our engine gives most of them no meaning.

#include "engine_choice/endpoint.h"
#include "session/questions.h"
#include "session/remote_entry.h"
#include "session/remote_session.h"

#include <chrono>
#include <cstdint>
#include <string>

using HINTERNET = std::uint32_t;

constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr std::uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000;
constexpr std::uint32_t INTERNET_FLAG_PASSIVE = 0x08000000;
constexpr std::uint32_t INTERNET_SERVICE_FTP = 1;
constexpr std::uint32_t GENERIC_READ = 0x80000000;
constexpr std::uint32_t GENERIC_WRITE = 0x40000000;
constexpr std::uint32_t FTP_TRANSFER_TYPE_BINARY = 2;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
// Besides one of the two above: the entry is a symbolic link.
constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

using SYSTEMTIME = session::DateTime;

// The find record: attributes, last-write time, a 64-bit size and the name's raw bytes.
struct WIN32_FIND_DATAA {
    std::uint32_t dwFileAttributes = 0;
    SYSTEMTIME ftLastWriteTime;
    std::uint64_t fileSize = 0;
    std::string cFileName;
};

HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType,
                        const std::string& proxy, const std::string& proxyBypass,
                        std::uint32_t flags);
// Logs on to the host, port and protocol of `endpoint`, read from what the
// user typed once (engine_choice::parseEndpoint).
HINTERNET InternetConnectA(HINTERNET internet, const engine_choice::Endpoint& endpoint,
                           const std::string& user, const std::string& password,
                           std::uint32_t service, std::uint32_t flags, std::uintptr_t context);
// The same for a host as typed, a scheme in front of it included. Port 0
// means the scheme's default (21 for FTP).
HINTERNET InternetConnectA(HINTERNET internet, const std::string& host, std::uint16_t port,
                           const std::string& user, const std::string& password,
                           std::uint32_t service, std::uint32_t flags, std::uintptr_t context);
// Stores the server's current directory; false on failure.
bool FtpGetCurrentDirectoryA(HINTERNET connection, std::string& directory);
bool FtpSetCurrentDirectoryA(HINTERNET connection, const std::string& directory);

// `pattern` is a folder path followed by a mask such as "*.*"; the mask is
// dropped and the whole folder listed with one request. Returns 0 when the
// folder has no entry or cannot be listed.
HINTERNET FtpFindFirstFileA(HINTERNET connection, const std::string& pattern,
                            WIN32_FIND_DATAA& record, std::uint32_t flags, std::uintptr_t context);
bool InternetFindNextFileA(HINTERNET find, WIN32_FIND_DATAA& record);

// One open remote file per connection. `access` is GENERIC_READ or GENERIC_WRITE.
HINTERNET FtpOpenFileA(HINTERNET connection, const std::string& path, std::uint32_t access,
                       std::uint32_t flags, std::uintptr_t context);
// A download that continues a partial copy of `startAt` bytes of a file the
// caller knows (from the listing) to be `knownSize` bytes long, last changed
// at `knownModified` (null: not known). On return `startAt` says where the
// data begins: 0 when the server gave another size or date (the file
// changed) or cannot start part-way. `held` hands over the bytes of the
// partial copy, read only when the final check wants them (a digest of the
// whole file). The classic library would take FtpCommand("REST") before
// FtpOpenFile; this asks for both in one call.
HINTERNET FtpOpenFileAtA(HINTERNET connection, const std::string& path, std::uint64_t knownSize,
                         const SYSTEMTIME* knownModified, std::uint64_t& startAt, session::HeldBytes& held,
                         std::uint32_t flags, std::uintptr_t context);
// The open file is not the last of its batch: the FtpOpenFile of `nextPath`
// with `nextAccess` (GENERIC_READ or GENERIC_WRITE) follows its
// InternetCloseHandle at once, which the connection may prepare meanwhile,
// even send with the close. Another open coming instead stays correct.
void InternetTransferFollows(HINTERNET file, const std::string& nextPath, std::uint32_t nextAccess);
// After a failed InternetReadFile or InternetCloseHandle of a download: true
// when the transfer broke off (the connection broke or went silent, the
// server cut it or sent too few bytes), so the bytes read so far are good;
// false when the file was found damaged or the handle was not open.
bool InternetTransferBrokeOff();
// Reads up to `toRead` bytes; `read` 0 with a true result is the end of the file.
// A false result is a failed transfer (broken data connection, timeout, or at
// the end fewer bytes than the server's size or a digest that differs).
bool InternetReadFile(HINTERNET file, void* buffer, std::uint32_t toRead, std::uint32_t& read);
// True when InternetReadFile of `toRead` bytes would come back without waiting
// for the network; never waits itself. An invalid handle counts as ready.
bool InternetReadIsReady(HINTERNET file, std::uint32_t toRead);
bool InternetWriteFile(HINTERNET file, const void* buffer, std::uint32_t toWrite,
                       std::uint32_t& written);

bool FtpDeleteFileA(HINTERNET connection, const std::string& path);
bool FtpCreateDirectoryA(HINTERNET connection, const std::string& path);
bool FtpRemoveDirectoryA(HINTERNET connection, const std::string& path);
bool FtpRenameFileA(HINTERNET connection, const std::string& from, const std::string& to);
// Asks the server now whether something stands at `path`. True when it could
// tell, with the answer in `exists`; false when it had no way to tell or the
// question failed (`exists` is then false).
bool FtpAskPathExistsA(HINTERNET connection, const std::string& path, bool& exists);

// Closes any handle, 0 included. For a file handle the result tells whether the
// server confirmed the transfer and the file checked whole against the size
// (and digest) the server gives; closing a connection closes what it owns.
bool InternetCloseHandle(HINTERNET handle);

// Drops a connection (or a session handle with its connections) without a
// word to the server, as the system does for a process that ends: no QUIT.
void InternetAbandonHandle(HINTERNET handle);

// The description of the last failure on this thread, with the server's text
// when there is one. Used for the error report's description.
std::string InternetGetLastErrorText();

constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
constexpr std::uint32_t ERROR_INTERNET_TIMEOUT = 12002;
constexpr std::uint32_t ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr std::uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
// The code of the last failure on this thread: ERROR_INTERNET_TIMEOUT when the
// server did not answer in time (the connection is given up, though the
// server never closed it), ERROR_INTERNET_CONNECTION_ABORTED when the
// connection to the server is gone (and logging on again failed),
// ERROR_NO_MORE_FILES when a listing has no (more) entries,
// ERROR_INTERNET_EXTENDED_ERROR for anything else (the text says what).
std::uint32_t GetLastError();

// Timeout for sessions opened after this call (tests use short ones).
void InternetSetDefaultTimeout(std::chrono::milliseconds timeout);

// Encryption. InternetConnectA asks for TLS first (AUTH TLS) and may need the
// windows' answers (a certificate that failed the check, a server that refused
// encryption, an SSH host key no file vouches for) before it sends the
// password. `questions` answers for connections opened after this call, and
// must stay until withdrawn; withdrawing it drops, without a word to the
// server, every connection still asking it. Until set: nobody to ask.
void InternetSetConnectionQuestions(session::Questions& questions);
void InternetWithdrawConnectionQuestions(const session::Questions& questions);
// Trusted authorities added to the system's for sessions opened after this call
// (a PEM file), e.g. a company's own authority; "" for the system's alone.
void InternetSetTrustedAuthorities(const std::string& file);
// SSH host keys the user trusted are kept in this known_hosts-format file
// (the program's own; the user's ~/.ssh/known_hosts is only read); "" keeps none.
void InternetSetHostKeyStore(const std::string& file);
// The OpenSSH folder with known_hosts and the default key files; "" for ~/.ssh.
void InternetSetSshFolder(const std::string& folder);
// "TLSv1.3, TLS_AES_256_GCM_SHA384" while the connection is encrypted, "" in clear.
// Over SSH: "SSH-2, curve25519-sha256, chacha20-poly1305@openssh.com".
std::string FtpGetConnectionEncryption(HINTERNET connection);
// What shaped the logon besides the fields (the OpenSSH config entries that
// applied, a config file that could not be read), one line each; "" for nothing.
std::string FtpGetLogonNotes(HINTERNET connection);
