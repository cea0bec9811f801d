#include "sftp/ssh_link.h"

#include "sftp/host_key.h"
#include "sftp/proxy_jump.h"
#include "sftp/ssh_config.h"
#include "sftp/ssh_logon.h"
#include "sftp/tcp_connect.h"

#include <cstdlib>
#include <mutex>

#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;
using session::Status;

const passwd* localAccount() { return ::getpwuid(::getuid()); }

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    const passwd* user = localAccount();
    return user && user->pw_dir ? user->pw_dir : "";
}

Status sshFailure(ssh_session ssh, const std::string& what)
{
    const std::string error = ssh ? ssh_get_error(ssh) : "";
    const bool timedOut = error.find("imeout") != std::string::npos || error.find("timed out") != std::string::npos;
    return Status::failure(timedOut ? ErrorKind::Timeout : ErrorKind::Network, what + ": " + error);
}

std::string notesOf(const SshConfig& config)
{
    std::string notes;
    for (const std::string& entry : config.appliedEntries)
        notes += (notes.empty() ? "" : "\n") + ("Settings from " + entry);
    for (const std::string& problem : config.problems)
        notes += (notes.empty() ? "" : "\n") + problem;
    return notes;
}

// The session's own timeouts, the program's cipher order, then what
// libssh reads from the same config (algorithm lists), then the names this
// logon settled on, which the config must not change again.
void setOptions(ssh_session ssh, const LinkOptions& options, const std::string& typedHost, const std::string& host,
                int port, const std::string& user, const std::string& knownHosts, const SshConfig& config)
{
    const long seconds = long(options.timeout.count() / 1000);
    const long microseconds = long(options.timeout.count() % 1000) * 1000;
    const int no = 0;
    // The config is read here and below, not from libssh's own default places.
    ssh_options_set(ssh, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(ssh, SSH_OPTIONS_SSH_DIR, options.sshFolder.c_str());
    // AES-GCM first: processors since 2010 do AES in hardware, where it
    // moves bulk data faster than ChaCha20, which stays next for those
    // without. Only the order differs from libssh's own list.
    const char* ciphers = "aes128-gcm@openssh.com,aes256-gcm@openssh.com,chacha20-poly1305@openssh.com,"
                          "aes128-ctr,aes192-ctr,aes256-ctr";
    ssh_options_set(ssh, SSH_OPTIONS_CIPHERS_C_S, ciphers);
    ssh_options_set(ssh, SSH_OPTIONS_CIPHERS_S_C, ciphers);
    if (config.used()) {
        // libssh matches the same Host lines against the typed name, and
        // takes Ciphers, MACs, KexAlgorithms and HostKeyAlgorithms as far as it knows them.
        ssh_options_set(ssh, SSH_OPTIONS_HOST, typedHost.c_str());
        (void)ssh_options_parse_config(ssh, (options.sshFolder + "/config").c_str());
        // The way in is ours (a socket or a jump host), never a command.
        ssh_options_set(ssh, SSH_OPTIONS_PROXYCOMMAND, "none");
    }
    ssh_options_set(ssh, SSH_OPTIONS_HOST, host.c_str());
    ssh_options_set(ssh, SSH_OPTIONS_PORT, &port);
    if (!user.empty())
        ssh_options_set(ssh, SSH_OPTIONS_USER, user.c_str());
    ssh_options_set(ssh, SSH_OPTIONS_TIMEOUT, &seconds);
    ssh_options_set(ssh, SSH_OPTIONS_TIMEOUT_USEC, &microseconds);
    // Both files known before the key exchange lets libssh ask the server
    // for a key type already on record, as OpenSSH does.
    ssh_options_set(ssh, SSH_OPTIONS_KNOWNHOSTS, knownHosts.c_str());
    ssh_options_set(ssh, SSH_OPTIONS_GLOBAL_KNOWNHOSTS,
                    (options.hostKeyStore.empty() ? knownHosts : options.hostKeyStore).c_str());
}

} // namespace

SshLink::SshLink() = default;

SshLink::~SshLink() { drop(false); }

void SshLink::drop(bool politely)
{
    if (ssh_) {
        if (politely && ssh_is_connected(ssh_))
            ssh_disconnect(ssh_);
        else if (const int fd = ssh_get_fd(ssh_); fd >= 0)
            ::shutdown(fd, SHUT_RDWR);
        ssh_free(ssh_);
        ssh_ = nullptr;
    }
    bridge_.reset();
}

Status SshLink::open(const LinkOptions& options, const LinkTarget& target,
                     const std::optional<std::vector<std::string>>& jumps)
{
    drop(false);
    static std::once_flag initialised;
    std::call_once(initialised, [] { ssh_init(); });

    const passwd* account = localAccount();
    const ConfigQuery query{target.host, target.user, options.sshFolder, homeFolder(),
                            account && account->pw_name ? account->pw_name : ""};
    const SshConfig config = readSshConfig(query);
    notes_ = notesOf(config);
    const std::string host = config.hostName.empty() ? target.host : config.hostName;
    const std::uint16_t port = target.port == 22 && config.port ? *config.port : target.port;
    const std::string user = target.user.empty() ? config.user : target.user;

    // ConnectTimeout bounds the connect; the session's time-out all the rest.
    const auto connectWait = config.connectTimeout
                                 ? std::chrono::duration_cast<std::chrono::milliseconds>(*config.connectTimeout)
                                 : options.timeout;
    int fd = -1;
    if (const std::vector<std::string>& hops = jumps ? *jumps : config.proxyJump; !hops.empty()) {
        if (Status s = JumpBridge::open(options, hops, host, port, bridge_, fd, notes_); !s.ok())
            return s;
    } else if (Status s = connectTcp(host, port, std::chrono::steady_clock::now() + connectWait, fd); !s.ok()) {
        return s;
    }
    ssh_ = ssh_new();
    if (!ssh_) {
        ::close(fd);
        return Status::failure(ErrorKind::Network, "Cannot start an SSH session");
    }
    const std::string knownHosts = config.userKnownHostsFile.empty() ? options.sshFolder + "/known_hosts"
                                                                      : config.userKnownHostsFile;
    setOptions(ssh_, options, target.host, host, port, user, knownHosts, config);
    // libssh owns the socket from here and closes it with the session.
    ssh_options_set(ssh_, SSH_OPTIONS_FD, &fd);
    if (ssh_connect(ssh_) != SSH_OK)
        return sshFailure(ssh_, "The SSH connection failed");

    // StrictHostKeyChecking yes: only a key on record is good enough.
    session::Questions& ask = config.strictHostKeyChecking ? session::nobodyToAsk() : options.questions.get();
    const HostKeyFiles files{knownHosts, options.hostKeyStore};
    if (Status s = checkHostKey(ssh_, host, port, files, ask); !s.ok()) {
        if (config.strictHostKeyChecking && s.kind() == ErrorKind::Insecure)
            return Status::failure(s.kind(), s.message() + " (StrictHostKeyChecking is on in the ssh config)");
        return s;
    }

    Credentials credentials;
    credentials.password = target.password;
    credentials.questions = &options.questions.get();
    credentials.host = target.host;
    credentials.useAgent = !config.identitiesOnly;
    credentials.keyFiles = config.identityFiles;
    if (credentials.keyFiles.empty()) {
        for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"})
            credentials.keyFiles.push_back(options.sshFolder + "/" + name);
    }
    return authenticate(ssh_, credentials, options.timeout);
}

} // namespace sftp
