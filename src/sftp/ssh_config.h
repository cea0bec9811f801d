#pragma once
// What the user's OpenSSH client config (~/.ssh/config) says about one host,
// read as ssh(1) reads it: the typed name matched against `Host` patterns
// and `Match host/originalhost/user/localuser/all`, `Include` followed
// (relative to the ssh folder, with globs), the first value of a keyword
// wins, IdentityFile lines add up in order.
//
// libssh reads the same file for the algorithm lists (see applyAlgorithms);
// this reader exists because the logon needs what libssh cannot tell:
// which entries applied, the key files in the file's order, the jump hosts,
// and whether the file could be read at all.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sftp {

// Who asks: the typed name and the window's fields.
struct ConfigQuery {
    std::string host;          // as typed: an alias or a name
    std::string user;          // the User field; "" when empty
    std::string sshFolder;     // where "config" lives and relative Includes start
    std::string home;          // for "~" and %d
    std::string localUser;     // for %u and Match localuser
};

struct SshConfig {
    std::string hostName;  // "" keeps the typed name
    std::optional<std::uint16_t> port;
    std::string user;
    std::vector<std::string> identityFiles;  // "~" and %d %u %h %r %p %n %% expanded, in order
    bool identitiesOnly = false;
    std::string userKnownHostsFile;          // expanded; "" for the ssh folder's known_hosts
    bool strictHostKeyChecking = false;      // "yes": an unknown key is refused without asking
    std::optional<std::chrono::seconds> connectTimeout;
    std::vector<std::string> proxyJump;      // "[user@]host[:port]" hops in order; none when empty
    // "Host web (config line 3)", one per entry whose settings applied.
    std::vector<std::string> appliedEntries;
    // A file that could not be read or parsed, and why. The logon goes on
    // without that file's settings.
    std::vector<std::string> problems;

    bool used() const { return !appliedEntries.empty(); }
};

// Reads `query.sshFolder`/config. No file: an empty result, as if no config existed.
SshConfig readSshConfig(const ConfigQuery& query);

// The settings of one file's text, `fileName` naming it in messages;
// relative Includes are read from `query.sshFolder`.
SshConfig parseSshConfig(const std::string& text, const std::string& fileName, const ConfigQuery& query);

// True when `name` matches an ssh_config pattern list ("*.example.com,!bad*"),
// compared without regard to case.
bool matchesPatternList(const std::string& name, const std::string& patterns);

// "[user@]host[:port]" of one ProxyJump hop.
struct JumpHop {
    std::string user;
    std::string host;
    std::uint16_t port = 0;  // 0: the config's or 22
};
std::optional<JumpHop> parseJumpHop(const std::string& text);

} // namespace sftp
