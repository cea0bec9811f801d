#include "support/scripted_sftp_server.h"

#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

ScriptedSftpServer::ScriptedSftpServer(std::vector<std::string> options)
{
    char folder[] = "/tmp/cvq-XXXXXX";
    if (!::mkdtemp(folder))
        throw std::runtime_error("ScriptedSftpServer: no temporary folder");
    base_ = folder;
    root_ = base_ + "/root";
    fs::create_directories(root_);

    std::vector<std::string> args = {"/usr/bin/python3", CORVELL_SFTP_TEST_SERVER_SCRIPT, "--root", root_,
                                     "--host-key", base_ + "/host_key"};
    args.insert(args.end(), options.begin(), options.end());
    try {
        server_ = std::make_unique<ChildProcess>(args, base_ + "/server.log");
        port_ = server_->readyPort();
    } catch (const std::exception& error) {
        server_.reset();
        std::error_code ignored;
        fs::remove_all(base_, ignored);
        throw std::runtime_error(std::string("ScriptedSftpServer: the server did not start (it needs python3-asyncssh): ")
                                 + error.what());
    }
}

ScriptedSftpServer::~ScriptedSftpServer()
{
    server_->kill();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}
