#include "support/scripted_sftp_server.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* python = "/usr/bin/python3";

// The first line the server prints, waiting at most 20 s for it.
std::string firstLine(int fd)
{
    std::string line;
    char c = 0;
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 20000) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n')
            return line;
        line += c;
    }
}

} // namespace

ScriptedSftpServer::ScriptedSftpServer(std::vector<std::string> options)
{
    char folder[] = "/tmp/cvq-XXXXXX";
    if (!::mkdtemp(folder))
        throw std::runtime_error("ScriptedSftpServer: no temporary folder");
    base_ = folder;
    root_ = base_ + "/root";
    fs::create_directories(root_);

    std::vector<std::string> args = {python, CORVELL_SFTP_TEST_SERVER_SCRIPT, "--root", root_, "--host-key",
                                     base_ + "/host_key"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        throw std::runtime_error("ScriptedSftpServer: pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::close_range(3, ~0U, 0);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(python, argv.data());
        ::_exit(127);
    }
    pid_ = pid;
    stdinFd_ = toChild[1];
    ::close(toChild[0]);
    ::close(fromChild[1]);
    const std::string line = firstLine(fromChild[0]);
    ::close(fromChild[0]);
    if (line.rfind("PORT ", 0) == 0)
        port_ = std::atoi(line.c_str() + 5);
    if (port_ <= 0)
        throw std::runtime_error("ScriptedSftpServer: the server did not start (it needs python3-asyncssh): " + line);
}

ScriptedSftpServer::~ScriptedSftpServer()
{
    ::close(stdinFd_);
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}
