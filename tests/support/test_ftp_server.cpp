#include "support/test_ftp_server.h"

#include "support/test_certificates.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#ifndef CORVELL_TEST_SERVER_SCRIPT
#error "CORVELL_TEST_SERVER_SCRIPT must name tests/support/ftp_test_server.py"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kPython = "/usr/bin/python3";
// Starting Python and importing pyftpdlib takes well under a second, but a
// loaded machine running many suites in parallel can be much slower.
constexpr int kStartTimeoutMs = 30000;

void ignoreSigpipeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

std::int64_t nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Reads one line from fd, giving up after timeoutMs. Returns false on
// timeout or end of file; `line` then holds what arrived.
bool readLine(int fd, std::string& line, int timeoutMs)
{
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

void stopProcess(int pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    // The server exits at once on SIGTERM; only a wedged one needs SIGKILL.
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD))
            return;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

fs::path underRoot(const std::string& root, const std::string& relativePath)
{
    std::string relative = relativePath;
    while (!relative.empty() && relative.front() == '/')
        relative.erase(relative.begin());
    return fs::path(root) / fs::u8path(relative);
}

} // namespace

std::string patternBytes(std::size_t size)
{
    // A 32-bit xorshift stream from a fixed seed: repeatable, every byte
    // value occurs, and no short period, so a block written at the wrong
    // offset or twice never matches by chance.
    std::string bytes(size, '\0');
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<char>((state >> 11) & 0xFF);
    }
    return bytes;
}

TestFtpServer::TestFtpServer(std::vector<std::string> options)
{
    ignoreSigpipeOnce();

    char rootTemplate[] = "/tmp/corvell-ftp-XXXXXX";
    if (!::mkdtemp(rootTemplate))
        throw std::runtime_error(std::string("TestFtpServer: cannot create a temporary folder: ")
                                 + std::strerror(errno));
    const std::string base = rootTemplate;
    root_ = base + "/root";
    logPath_ = base + "/commands.log";
    fs::create_directories(root_);
    { std::ofstream(logPath_).flush(); }

    int toChild[2] = {-1, -1};
    int fromChild[2] = {-1, -1};
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        const int error = errno;
        closeFd(toChild[0]);
        closeFd(toChild[1]);
        fs::remove_all(base);
        throw std::runtime_error(std::string("TestFtpServer: pipe failed: ") + std::strerror(error));
    }

    std::vector<std::string> args = {kPython, CORVELL_TEST_SERVER_SCRIPT, "--root", root_,
                                     "--log", logPath_};
    args.insert(args.end(), options.begin(), options.end());
    // An encrypting server serves the test authority's certificate unless told otherwise.
    const auto has = [&](const char* flag) { return std::find(options.begin(), options.end(), flag) != options.end(); };
    const bool encrypts = has("--tls") || has("--tls-required") || has("--tls-implicit") || has("--tls-first-logon-only");
    if (encrypts && !has("--tls-cert"))
        args.insert(args.end(), {"--tls-cert", testCertificate("trusted.pem")});
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
            ::close(fd);
        fs::remove_all(base);
        throw std::runtime_error(std::string("TestFtpServer: fork failed: ") + std::strerror(error));
    }
    if (pid == 0) {
        // Child: only async-signal-safe calls from here on.
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        // Sockets the test holds must not live on in the server, or closing
        // them would never reach the peer.
        if (::close_range(3, ~0U, 0) != 0) {
            for (int fd = 3; fd < 4096; ++fd)
                ::close(fd);
        }
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(kPython, argv.data());
        const char message[] = "TestFtpServer: cannot run /usr/bin/python3\n";
        ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
        (void)ignored;
        ::_exit(127);
    }

    pid_ = pid;
    stdinFd_ = toChild[1];
    ::close(toChild[0]);
    ::close(fromChild[1]);

    std::string line;
    const bool gotLine = readLine(fromChild[0], line, kStartTimeoutMs);
    int port = 0;
    if (gotLine && line.rfind("PORT ", 0) == 0)
        port = std::atoi(line.c_str() + 5);
    if (port <= 0) {
        const std::string rest = readAll(fromChild[0]);
        ::close(fromChild[0]);
        shutDown();
        std::ostringstream message;
        message << "TestFtpServer: the test FTP server did not start ("
                << (gotLine ? "unexpected first line \"" + line + "\""
                            : std::string("no PORT line within the time limit"))
                << "). Script: " << CORVELL_TEST_SERVER_SCRIPT << ", run by " << kPython
                << " (it needs the python3-pyftpdlib package); options:";
        for (const auto& option : options)
            message << ' ' << option;
        if (!rest.empty())
            message << "\nOutput: " << rest;
        throw std::runtime_error(message.str());
    }
    port_ = port;
    // Nothing else is printed on stdout; closing it here means a chatty
    // server can never block on a full pipe.
    ::close(fromChild[0]);
}

TestFtpServer::~TestFtpServer()
{
    shutDown();
}

void TestFtpServer::shutDown()
{
    closeFd(stdinFd_);
    if (pid_ > 0) {
        stopProcess(pid_);
        pid_ = -1;
    }
    if (!root_.empty()) {
        std::error_code ignored;
        fs::remove_all(fs::path(root_).parent_path(), ignored);
        root_.clear();
    }
}

void TestFtpServer::writeFile(const std::string& relativePath, const std::string& content) const
{
    const fs::path path = underRoot(root_, relativePath);
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out)
        throw std::runtime_error("TestFtpServer: cannot write " + path.string());
}

void TestFtpServer::writePatternFile(const std::string& relativePath, std::size_t size) const
{
    writeFile(relativePath, patternBytes(size));
}

void TestFtpServer::makeFolder(const std::string& relativePath) const
{
    fs::create_directories(underRoot(root_, relativePath));
}

void TestFtpServer::makeLink(const std::string& target, const std::string& relativePath) const
{
    fs::create_symlink(target, underRoot(root_, relativePath));
}

std::string TestFtpServer::readFile(const std::string& relativePath) const
{
    const fs::path path = underRoot(root_, relativePath);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("TestFtpServer: cannot read " + path.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TestFtpServer::exists(const std::string& relativePath) const
{
    std::error_code ignored;
    return fs::exists(underRoot(root_, relativePath), ignored);
}

std::vector<std::string> TestFtpServer::commandLog() const
{
    std::vector<std::string> lines;
    std::ifstream in(logPath_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
