#include "support/test_ftp_server.h"

#include "support/child_process.h"
#include "support/test_certificates.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

#ifndef CORVELL_TEST_SERVER_SCRIPT
#error "CORVELL_TEST_SERVER_SCRIPT must name tests/support/ftp_test_server.py"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kPython = "/usr/bin/python3";
// Starting Python and importing pyftpdlib takes well under a second, but a
// loaded machine running many suites in parallel can be much slower.
constexpr std::chrono::seconds kStartTimeout{30};

void ignoreSigpipeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
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
    std::vector<std::string> args = {kPython, CORVELL_TEST_SERVER_SCRIPT, "--root", root_,
                                     "--log", logPath_};
    args.insert(args.end(), options.begin(), options.end());
    // An encrypting server serves the test authority's certificate unless told otherwise.
    const auto has = [&](const char* flag) { return std::find(options.begin(), options.end(), flag) != options.end(); };
    const bool encrypts = has("--tls") || has("--tls-required") || has("--tls-implicit") || has("--tls-first-logon-only");
    if (encrypts && !has("--tls-cert"))
        args.insert(args.end(), {"--tls-cert", testCertificate("trusted.pem")});
    try {
        server_ = std::make_unique<ChildProcess>(args, base + "/server.log");
        port_ = server_->readyPort(kStartTimeout);
    } catch (const std::exception& error) {
        shutDown();
        std::ostringstream message;
        message << "TestFtpServer: the test FTP server did not start. Script: " << CORVELL_TEST_SERVER_SCRIPT
                << ", run by " << kPython << " (it needs the python3-pyftpdlib package); options:";
        for (const auto& option : options)
            message << ' ' << option;
        message << "\n" << error.what();
        throw std::runtime_error(message.str());
    }
}

TestFtpServer::~TestFtpServer()
{
    shutDown();
}

void TestFtpServer::shutDown()
{
    server_.reset();
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
