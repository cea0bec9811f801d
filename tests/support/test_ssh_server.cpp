#include "support/test_ssh_server.h"

#include "support/child_process.h"

#include "support/test_ftp_server.h"

#ifndef CORVELL_SSHD_CONFIG_TEMPLATE
#error "CORVELL_SSHD_CONFIG_TEMPLATE must name tests/support/sshd_config.in"
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* sshd = "/usr/sbin/sshd";

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("TestSshServer: no free port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

std::string randomText(std::size_t length)
{
    static const char letters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device random;
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += letters[random() % (sizeof letters - 1)];
    return text;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

fs::path underRoot(const std::string& root, const std::string& relativePath)
{
    std::string relative = relativePath;
    while (!relative.empty() && relative.front() == '/')
        relative.erase(relative.begin());
    return fs::path(root) / relative;
}

// Users a test server made and never removed, because its process died.
void removeLeftOverUsers()
{
    std::ifstream passwd("/etc/passwd");
    for (std::string line; std::getline(passwd, line);) {
        // "cvt<pid>_<n>"
        const std::string name = line.substr(0, line.find(':'));
        const auto underscore = name.find('_');
        if (name.rfind("cvt", 0) != 0 || underscore == std::string::npos || underscore < 4
            || name.find_first_not_of("0123456789", 3) != underscore)
            continue;
        const int pid = std::atoi(name.c_str() + 3);
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            (void)std::system(("userdel " + name + " >/dev/null 2>&1").c_str());
    }
}

} // namespace

std::string runCommand(const std::string& command)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run: " + command);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    if (::pclose(pipe) != 0)
        throw std::runtime_error("failed: " + command + "\n" + output);
    return output;
}

TestSshServer::TestSshServer()
{
    // Short: sshd's and the agent's socket paths must stay under 108 bytes.
    char folder[] = "/tmp/cvs-XXXXXX";
    if (!::mkdtemp(folder))
        throw std::runtime_error(std::string("TestSshServer: no temporary folder: ") + std::strerror(errno));
    base_ = folder;
    fs::permissions(base_, fs::perms(0755));
    root_ = base_ + "/root";
    clientFolder_ = base_ + "/client";
    emptyClientFolder_ = base_ + "/bare";
    fs::create_directories(root_);
    fs::create_directories(clientFolder_);
    fs::create_directories(emptyClientFolder_);

    runCommand("ssh-keygen -q -t ed25519 -N '' -C host -f " + base_ + "/host_ed25519");
    runCommand("ssh-keygen -q -t ed25519 -N '' -C client -f " + clientFolder_ + "/id_ed25519");
    fs::copy_file(clientFolder_ + "/id_ed25519.pub", base_ + "/authorized_keys");
    hostKeyFingerprint_ = runCommand("ssh-keygen -l -E sha256 -f " + base_ + "/host_ed25519.pub | cut -d' ' -f2");
    hostKeyFingerprint_ = trimmed(hostKeyFingerprint_);

    if (::geteuid() == 0) {
        removeLeftOverUsers();
        static int made = 0;
        user_ = "cvt" + std::to_string(::getpid()) + "_" + std::to_string(++made);
        password_ = randomText(20);
        // useradd takes a lock other suites may hold for a moment.
        std::string add = "useradd --no-create-home --home-dir " + root_ + " --shell /usr/sbin/nologin " + user_;
        bool added = false;
        for (int attempt = 0; attempt < 50 && !added; ++attempt) {
            added = std::system((add + " >/dev/null 2>&1").c_str()) == 0;
            if (!added)
                ::usleep(100000);
        }
        if (!added)
            throw std::runtime_error("TestSshServer: cannot add the user " + user_);
        madeUser_ = true;
        runCommand("echo '" + user_ + ":" + password_ + "' | chpasswd");
        fs::create_directories("/run/sshd");  // sshd's privilege separation wants it
    } else {
        user_ = ::getpwuid(::getuid())->pw_name;
    }
    const passwd* account = ::getpwnam(user_.c_str());
    if (!account)
        throw std::runtime_error("TestSshServer: no user " + user_);
    uid_ = account->pw_uid;
    gid_ = account->pw_gid;
    giveToUser(root_);

    port_ = freePort();
    hostKeyLine_ = "[127.0.0.1]:" + std::to_string(port_) + " "
                   + trimmed(runCommand("cut -d' ' -f1,2 " + base_ + "/host_ed25519.pub"));
    writeConfig();

    // sshd runs under a shell that stops it once its standard input ends:
    // when this object goes, or when the test process dies unawares.
    const std::string watched = std::string("exec 3<&0; ") + sshd + " -D -f '" + base_ + "/sshd_config' -E '" + base_
                                + "/sshd.log' </dev/null >/dev/null 3<&- & server=$!; { read -r _ <&3; kill $server; } & wait $server";
    try {
        server_ = std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", watched},
                                                 base_ + "/sshd.log");
        server_->awaitListening(port_);
    } catch (...) {
        server_.reset();
        if (madeUser_)
            (void)std::system(("userdel " + user_ + " >/dev/null 2>&1").c_str());
        throw;
    }
}

void TestSshServer::writeConfig() const
{
    std::ifstream in(CORVELL_SSHD_CONFIG_TEMPLATE);
    std::stringstream text;
    text << in.rdbuf();
    std::string config = text.str();
    const std::pair<std::string, std::string> fills[] = {
        {"@PORT@", std::to_string(port_)}, {"@FOLDER@", base_}, {"@ROOT@", root_}, {"@USER@", user_},
        {"@PASSWORDS@", password_.empty() ? "no" : "yes"}};
    for (const auto& [name, value] : fills) {
        for (auto at = config.find(name); at != std::string::npos; at = config.find(name, at + value.size()))
            config.replace(at, name.size(), value);
    }
    std::ofstream(base_ + "/sshd_config") << config;
}

TestSshServer::~TestSshServer()
{
    kill();
    if (madeUser_)
        (void)std::system(("userdel " + user_ + " >/dev/null 2>&1").c_str());
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

void TestSshServer::kill()
{
    if (server_)
        server_->kill();
}

void TestSshServer::authorize(const std::string& publicKeyLine) const
{
    std::ofstream(base_ + "/authorized_keys", std::ios::app) << publicKeyLine << "\n";
}

void TestSshServer::giveToUser(const std::string& path) const
{
    if (::geteuid() == 0)
        (void)::chown(path.c_str(), uid_, gid_);
}

void TestSshServer::writeFile(const std::string& relativePath, const std::string& content) const
{
    const fs::path path = underRoot(root_, relativePath);
    std::ofstream(path, std::ios::binary) << content;
    giveToUser(path);
}

void TestSshServer::writePatternFile(const std::string& relativePath, std::size_t size) const
{
    writeFile(relativePath, patternBytes(size));
}

void TestSshServer::makeFolder(const std::string& relativePath) const
{
    const fs::path path = underRoot(root_, relativePath);
    fs::create_directories(path);
    for (fs::path folder = path; folder != fs::path(root_) && folder.has_relative_path(); folder = folder.parent_path())
        giveToUser(folder);
}

void TestSshServer::makeLink(const std::string& target, const std::string& relativePath) const
{
    fs::create_symlink(target, underRoot(root_, relativePath));
}

std::string TestSshServer::readFile(const std::string& relativePath) const
{
    std::ifstream in(underRoot(root_, relativePath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TestSshServer::exists(const std::string& relativePath) const
{
    return fs::exists(fs::symlink_status(underRoot(root_, relativePath)));
}
