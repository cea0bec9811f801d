#pragma once
// Starts tests/support/sftp_test_server.py (asyncssh) on 127.0.0.1 with a
// free port, serving a fresh temporary folder to user "test" with password
// "secret", and stops it when destroyed. Its faults are switched on by the
// options the script lists (--stall REQUEST, --stall-kex, --die-after N).

#include "support/child_process.h"

#include <memory>
#include <string>
#include <vector>

class ScriptedSftpServer {
public:
    explicit ScriptedSftpServer(std::vector<std::string> options = {});
    ~ScriptedSftpServer();
    ScriptedSftpServer(const ScriptedSftpServer&) = delete;
    ScriptedSftpServer& operator=(const ScriptedSftpServer&) = delete;

    int port() const { return port_; }
    const std::string& root() const { return root_; }
    static const char* user() { return "test"; }
    static const char* password() { return "secret"; }

private:
    std::unique_ptr<ChildProcess> server_;
    int port_ = 0;
    std::string base_;
    std::string root_;
};
