#pragma once
// Starts OpenSSH's sshd on 127.0.0.1 with a free port and a config of its
// own in a short private folder: a host key made at start, SFTP by
// internal-sftp starting in the served folder, and a client key folder (a
// stand-in for ~/.ssh) whose id_ed25519 the server accepts.
//
// Run as root, the server's user is one made for this server alone, with a
// random password, removed again when the server stops: password and key
// logons both work. Unprivileged, it serves the current user by key only
// (passwordLogon() is false).

#include "support/child_process.h"

#include <memory>
#include <string>

class TestSshServer {
public:
    TestSshServer();
    ~TestSshServer();
    TestSshServer(const TestSshServer&) = delete;
    TestSshServer& operator=(const TestSshServer&) = delete;

    int port() const { return port_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    bool passwordLogon() const { return !password_.empty(); }
    // The served folder: the SFTP session starts here, absolute on the server.
    const std::string& root() const { return root_; }
    // A stand-in for ~/.ssh: id_ed25519 (accepted by the server), no known_hosts.
    const std::string& clientFolder() const { return clientFolder_; }
    // A stand-in for ~/.ssh with no key and no known_hosts.
    const std::string& emptyClientFolder() const { return emptyClientFolder_; }
    // The server's host key as a known_hosts line ("[127.0.0.1]:port ssh-ed25519 AAAA...")
    // and its fingerprint as OpenSSH writes it.
    const std::string& hostKeyLine() const { return hostKeyLine_; }
    const std::string& hostKeyFingerprint() const { return hostKeyFingerprint_; }
    // A scratch folder for the test's own files.
    const std::string& scratch() const { return base_; }

    // Lets the holder of another key log on ("ssh-ed25519 AAAA..." as in a .pub file).
    void authorize(const std::string& publicKeyLine) const;

    // Files under root(), owned by the server's user.
    void writeFile(const std::string& relativePath, const std::string& content) const;
    void writePatternFile(const std::string& relativePath, std::size_t size) const;
    void makeFolder(const std::string& relativePath) const;
    void makeLink(const std::string& target, const std::string& relativePath) const;
    std::string readFile(const std::string& relativePath) const;
    bool exists(const std::string& relativePath) const;

    // Kills the server and every session it runs, without a word.
    void kill();

private:
    void giveToUser(const std::string& path) const;
    void writeConfig() const;

    std::unique_ptr<ChildProcess> server_;
    int port_ = 0;
    unsigned uid_ = 0;
    unsigned gid_ = 0;
    bool madeUser_ = false;
    std::string base_;
    std::string root_;
    std::string user_;
    std::string password_;
    std::string clientFolder_;
    std::string emptyClientFolder_;
    std::string hostKeyLine_;
    std::string hostKeyFingerprint_;
};

// Runs a shell command line; its standard output, or throws when it fails.
std::string runCommand(const std::string& command);
