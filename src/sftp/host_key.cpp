#include "sftp/host_key.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;
using session::Status;

struct KeyFree {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using Key = std::unique_ptr<ssh_key_struct, KeyFree>;

std::string fingerprintOf(const ssh_key key)
{
    unsigned char* hash = nullptr;
    size_t length = 0;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0)
        return {};
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    std::string result = text ? text : "";
    ssh_string_free_char(text);
    return result;
}

enum class Verdict { Known, Changed, Unknown };

// The fingerprint of the key of `type` that `file` holds for the server.
std::string fingerprintOnRecord(const std::string& file, const std::string& server, ssh_keytypes_e type)
{
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        ssh_knownhosts_entry* entry = nullptr;
        std::string found;
        // Matches "[host]:port", hashed names and patterns as the check did.
        if (ssh_known_hosts_parse_line(server.c_str(), line.c_str(), &entry) == SSH_OK && entry && entry->publickey
            && ssh_key_type(entry->publickey) == type)
            found = fingerprintOf(entry->publickey);
        ssh_knownhosts_entry_free(entry);
        if (!found.empty())
            return found;
    }
    return {};
}

// Which lines of a known_hosts file count: plain ones vouch for a key,
// "@revoked" ones condemn it. "@cert-authority" lines name no host's key.
enum class Lines { Plain, Revoked };

// True when `file` has a line of the kind asked for that names `server`
// (hashed names and patterns too) with exactly `key`.
bool fileNamesKey(const std::string& file, const std::string& server, const ssh_key key, Lines kind)
{
    constexpr std::string_view revokedMarker = "@revoked";
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        std::string_view rest = line;
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        const bool revoked = rest.starts_with(revokedMarker) && rest.size() > revokedMarker.size()
                             && (rest[revokedMarker.size()] == ' ' || rest[revokedMarker.size()] == '\t');
        if (revoked != (kind == Lines::Revoked) || (!revoked && rest.starts_with('@')))
            continue;
        if (revoked) {
            rest.remove_prefix(revokedMarker.size());
            rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        }
        ssh_knownhosts_entry* entry = nullptr;
        const bool named = ssh_known_hosts_parse_line(server.c_str(), std::string(rest).c_str(), &entry) == SSH_OK
                           && entry && entry->publickey
                           && ssh_key_cmp(entry->publickey, key, SSH_KEY_CMP_PUBLIC) == 0;
        ssh_knownhosts_entry_free(entry);
        if (named)
            return true;
    }
    return false;
}

// What one file says of the server's key; `onRecord` gets the fingerprint of
// a different key the file holds for the server.
Verdict judgeAgainst(ssh_session ssh, const std::string& file, const std::string& server, ssh_keytypes_e type,
                     std::string& onRecord)
{
    if (file.empty() || ::access(file.c_str(), R_OK) != 0)
        return Verdict::Unknown;
    // libssh reads two files, the user's and a global one; both name the one
    // file here, so the verdict is that file's alone.
    ssh_options_set(ssh, SSH_OPTIONS_KNOWNHOSTS, file.c_str());
    ssh_options_set(ssh, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, file.c_str());
    switch (ssh_session_is_known_server(ssh)) {
    case SSH_KNOWN_HOSTS_OK:
        return Verdict::Known;
    case SSH_KNOWN_HOSTS_CHANGED:
        onRecord = fingerprintOnRecord(file, server, type);
        return Verdict::Changed;
    default:
        // A key of another type only (OpenSSH asks then too), no entry, no file.
        return Verdict::Unknown;
    }
}

// The first field of a known_hosts line: the host pattern.
std::string hostField(const std::string& line)
{
    return line.substr(0, line.find_first_of(" \t"));
}

std::string keyTypeField(const std::string& line)
{
    std::istringstream words(line);
    std::string host, type;
    words >> host >> type;
    return type;
}

// Adds the server's key to the program's store, replacing a key of the same
// type that the store held for the same server. Written aside and renamed,
// so a failure leaves the old file whole.
Status storeKey(ssh_session ssh, const std::string& store)
{
    char* exported = nullptr;
    if (ssh_session_export_known_hosts_entry(ssh, &exported) != SSH_OK || !exported)
        return Status::failure(ErrorKind::Insecure, "Cannot write down the server's key");
    std::string line = exported;
    ssh_string_free_char(exported);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();

    // The program's config folder may not exist yet; it is the user's alone.
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(store).parent_path();
    if (!folder.empty() && std::filesystem::create_directories(folder, ignored))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);

    std::vector<std::string> kept;
    if (std::ifstream old(store); old) {
        for (std::string existing; std::getline(old, existing);) {
            if (hostField(existing) == hostField(line) && keyTypeField(existing) == keyTypeField(line))
                continue;
            kept.push_back(existing);
        }
    }
    kept.push_back(line);

    const std::string aside = store + ".new";
    FILE* file = std::fopen(aside.c_str(), "w");
    if (!file)
        return Status::failure(ErrorKind::Insecure, "Cannot write " + aside + ": " + std::strerror(errno));
    ::fchmod(::fileno(file), 0600);
    bool written = true;
    for (const std::string& each : kept)
        written = written && std::fputs((each + '\n').c_str(), file) >= 0;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(aside.c_str(), store.c_str()) != 0) {
        std::remove(aside.c_str());
        return Status::failure(ErrorKind::Insecure, "Cannot write " + store);
    }
    return Status::success();
}

} // namespace

Status checkHostKey(ssh_session ssh, const std::string& host, std::uint16_t port, const HostKeyFiles& files,
                    session::Questions& questions)
{
    ssh_key rawKey = nullptr;
    if (ssh_get_server_publickey(ssh, &rawKey) != SSH_OK || !rawKey)
        return Status::failure(ErrorKind::Protocol, "The server showed no host key");
    const Key key(rawKey);

    session::HostKeyReport report;
    report.host = host;
    report.port = port;
    const char* type = ssh_key_type_to_char(ssh_key_type(key.get()));
    report.keyType = type ? type : "unknown";
    report.fingerprint = fingerprintOf(key.get());
    if (report.fingerprint.empty())
        return Status::failure(ErrorKind::Protocol, "Cannot take the fingerprint of the server's key");

    // known_hosts names a server on another port than 22 as "[host]:port".
    const std::string server = port == 22 ? host : "[" + host + "]:" + std::to_string(port);
    // A key marked revoked is refused outright, whatever else vouches for it:
    // no question, as OpenSSH asks none.
    for (const std::string* file : {&files.userKnownHosts, &files.ownStore}) {
        for (const std::string& name : {server, host}) {
            if (!file->empty() && fileNamesKey(*file, name, key.get(), Lines::Revoked))
                return Status::failure(ErrorKind::Insecure, "The server's host key (" + report.fingerprint
                                                                + ") is marked as revoked in " + *file
                                                                + "; the connection is refused");
        }
    }
    bool changed = false;
    for (const std::string* file : {&files.userKnownHosts, &files.ownStore}) {
        std::string onRecord;
        switch (judgeAgainst(ssh, *file, server, ssh_key_type(key.get()), onRecord)) {
        case Verdict::Known:
            return Status::success();
        case Verdict::Changed:
            if (!changed)
                report.knownFingerprint = onRecord.empty() ? "(unreadable)" : onRecord;
            changed = true;
            break;
        case Verdict::Unknown:
            break;
        }
    }

    // As OpenSSH does: a server on another port that no file knows under
    // "[host]:port" is known by the very same key under its plain name. A
    // different key there is no change: other ports may well run other servers.
    if (!changed && port != 22) {
        for (const std::string* file : {&files.userKnownHosts, &files.ownStore}) {
            if (!file->empty() && fileNamesKey(*file, host, key.get(), Lines::Plain))
                return Status::success();
        }
    }

    if (!questions.trustHostKey(report)) {
        return Status::failure(ErrorKind::Insecure,
                               changed ? "The server's host key has changed (" + report.fingerprint
                                             + "), and it was not trusted"
                                       : "The server's host key (" + report.fingerprint + ") was not trusted");
    }
    // The user trusted the key: a store that cannot be written costs only
    // the same question next time, not this logon.
    if (!files.ownStore.empty())
        (void)storeKey(ssh, files.ownStore);
    return Status::success();
}

} // namespace sftp
