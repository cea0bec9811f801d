#pragma once
// Starts the test FTP server (pyftpdlib) on 127.0.0.1 with a free port,
// serving a fresh temporary folder to user "test" with password "secret",
// and stops it when destroyed. Faults are switched on by options.
//
// Options, each passed to tests/support/ftp_test_server.py as a flag:
//   --no-mlst                 FEAT offers no MLST, so clients must use LIST
//   --refuse-retr NAME        RETR of a file named NAME answers 550
//   --refuse-stor NAME        STOR of a file named NAME answers 550
//   --cut-after N             data connections of RETR close after N bytes,
//                             and the transfer ends with 426
//   --fail-stor-after N       STOR stops reading after N bytes and answers 451
//   --reply CMD=CODE          answer command CMD (e.g. DELE) with CODE and a text;
//                             "CMD=CODE Some text" chooses the text too
//   --reply-file CMD:NAME=CODE answer CMD only when its argument ends with NAME
//                             (its last path component equals NAME)
//   --stall CMD               never answer CMD ("LIST/MLSD" names several)
//   --foreign-pasv            EPSV is refused and PASV names 10.1.2.3 (port real)
//   --endless-line CMD        answer CMD with a reply line that never ends
//                             (16 MiB without CRLF, then silence)
//   --initial-dir /pub        the session starts in /pub (PWD answers "/pub")
//   --raw-names               names travel as their bytes on disk, not UTF-8
//                             (a name that is not valid UTF-8 is sent as is)
//   --idle-close SECONDS      a control connection idle this long is closed
//                             with "421"; add --idle-close-silent to close it
//                             without a word
//   --abor-preliminary        a started RETR never gets its final reply, and
//                             ABOR is answered with one "150" line only
//   --ls-words                LIST's argument is split at blanks and each word
//                             listed by itself, as "/bin/ls" does
//   --nagle                   Nagle's algorithm stays on for the control connection
//   --abor-done-first         ABOR during a transfer is answered "226" at once;
//                             the transfer's "426" follows 0.3 s later, or
//                             sooner ahead of the next command's answer
//   --trickle CMD             answer CMD with a "150" line every half second
//                             and never a final reply
//   --flood CMD               answer CMD with "150" lines without end
//   --huge-listing N          MLSD lists N tiny entries (no real files)
//   --hang-up CMD             close the control connection when CMD arrives
//   --telnet-iac              with --raw-names: a 0xFF byte travels doubled
//                             both ways; a single one is a Telnet command
//   --listing-file PATH       LIST answers with the bytes of the file PATH (read
//                             at each LIST), and MLST/MLSD are unknown commands
//   --mlsd-file PATH          MLSD answers with the bytes of the file PATH
//   --short-retr N            RETR sends only the first N bytes, then 226
//   --long-retr N             RETR sends N bytes more than the file holds, then 226
//   --drop-stor               STOR discards the upload (the file stays empty), then 226
//   --no-size                 SIZE is unknown and FEAT omits it
//   --hash ALGOS              FEAT lists "HASH ALGOS" ("SHA-256*;SHA-1;MD5", '*' the
//                             selected one); OPTS HASH selects; HASH answers
//                             "213 SHA-256 0-<size> <hex> <path>"
//   --xsha                    XSHA256 and XSHA1 are offered and answer "213 <hex>"
//   --lie-hash                every digest answered is wrong
//   --digest-proftpd          digests follow a "213-Computing ..." line, and
//                             XSHA's come as "250 <HEX>", as ProFTPD sends them
//   --tls                     offer AUTH TLS; data connections must resume the
//                             control connection's TLS session
//   --tls-required            refuse USER and PASV/EPSV until encrypted
//   --tls-cert FILE           serve FILE (see test_certificates.h); without it
//                             an encrypting server serves "trusted.pem"
//   --tls-protect-after-login PBSZ before the logon answers 530
//   --tls12                   TLS 1.2 at most: data connections resume the
//                             control connection's own session
//   --data-no-close-notify    data connections end with a bare TCP close, no TLS
//                             close_notify, and the transfer is confirmed (226)
//   --renegotiate CMD         TLS 1.2 at most; CMD makes the server ask to
//                             renegotiate on the control connection (on the data
//                             connection for RETR, LIST, MLSD); a renegotiation
//                             that completes is logged as "TLS RENEGOTIATED"
// Each option may be given more than once (two --refuse-retr, two --reply...).
// GREETING stands for the server's first reply with --reply, --stall and
// --endless-line: "--stall GREETING" connects but never says 220.
// --no-mlst makes MLST and MLSD unknown commands (500).
// A failed login is answered 530 after 0.05 s, not pyftpdlib's 3 s.
// Downloads use sendfile() and 1 MiB buffers, so the server is fast enough
// for benchmarks.
// The port is read from the script's first line of output: "PORT <n>".

#include "support/child_process.h"

#include <memory>
#include <string>
#include <vector>

class TestFtpServer {
public:
    explicit TestFtpServer(std::vector<std::string> options = {});
    ~TestFtpServer();
    TestFtpServer(const TestFtpServer&) = delete;
    TestFtpServer& operator=(const TestFtpServer&) = delete;

    int port() const { return port_; }
    // The served folder on disk: files written here are seen by the server.
    const std::string& root() const { return root_; }
    static const char* user() { return "test"; }
    static const char* password() { return "secret"; }

    // Writes `size` bytes of a repeatable pattern (or `content`) under root.
    void writeFile(const std::string& relativePath, const std::string& content) const;
    void writePatternFile(const std::string& relativePath, std::size_t size) const;
    void makeFolder(const std::string& relativePath) const;
    // A symbolic link at `relativePath` to `target` (as given: relative to the link's folder, or absolute).
    void makeLink(const std::string& target, const std::string& relativePath) const;
    std::string readFile(const std::string& relativePath) const;
    bool exists(const std::string& relativePath) const;
    // The commands the server received, one line each, e.g. "RETR /a.txt",
    // exactly as sent except "PASS ******". A command is logged before it is
    // answered, so once the client has a reply its command is in the log.
    std::vector<std::string> commandLog() const;

private:
    void shutDown();

    std::unique_ptr<ChildProcess> server_;
    int port_ = 0;
    std::string root_;
    std::string logPath_;
};

// The same repeatable byte pattern writePatternFile() uses.
std::string patternBytes(std::size_t size);
