#include "support/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged = extra;
    const auto overridden = [&](const char* entry) {
        for (const auto& own : extra) {
            const auto name = own.substr(0, own.find('=') + 1);
            if (std::strncmp(entry, name.c_str(), name.size()) == 0)
                return true;
        }
        return false;
    };
    for (char** entry = environ; *entry; ++entry) {
        if (!overridden(*entry))
            merged.emplace_back(*entry);
    }
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Every process under `pid`, found through /proc: a child that made a
// session of its own (as sshd's do) has left the process group.
std::vector<int> descendants(int pid)
{
    std::vector<int> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // "pid (command) state ppid ...": the command may hold blanks and brackets.
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        if (parent == pid) {
            const int child = std::atoi(name.c_str());
            found.push_back(child);
            for (int grandchild : descendants(child))
                found.push_back(grandchild);
        }
    }
    return found;
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, std::string logPath, std::vector<std::string> environment)
    : name_(argv.empty() ? std::string() : argv.front()), logPath_(std::move(logPath))
{
    if (argv.empty())
        throw std::invalid_argument("ChildProcess: nothing to run");
    std::vector<std::string> environmentTexts = mergedEnvironment(environment);
    const std::vector<char*> argvPointers = pointers(argv);
    const std::vector<char*> environmentPointers = pointers(environmentTexts);

    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    const int errors = ::open(logPath_.empty() ? "/dev/null" : logPath_.c_str(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (errors < 0 || ::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        for (int fd : {errors, input[0], input[1], output[0], output[1]})
            if (fd >= 0)
                ::close(fd);
        throw std::runtime_error("ChildProcess: cannot prepare " + name_ + ": " + reason);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        ::setpgid(0, 0);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(errors, STDERR_FILENO);
        // Sockets the test holds must not live on in the child, or closing
        // them would never reach the peer.
        ::close_range(3, ~0U, 0);
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(argvPointers[0], argvPointers.data(), environmentPointers.data());
        const char message[] = "ChildProcess: cannot run the program\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(errors);
    ::close(input[0]);
    ::close(output[1]);
    if (pid < 0) {
        ::close(input[1]);
        ::close(output[0]);
        throw std::runtime_error("ChildProcess: fork failed: " + std::string(std::strerror(forkError)));
    }
    ::setpgid(pid, pid);  // also here: the kill may come before the child ran
    pid_ = pid;
    input_ = input[1];
    output_ = output[0];
}

ChildProcess::~ChildProcess()
{
    stop();
    closeFd(output_);
}

int ChildProcess::readyPort(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    std::string line;
    bool complete = false;
    while (!complete && output_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd waiting{output_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        char c = 0;
        if (ready <= 0 || ::read(output_, &c, 1) != 1)
            break;
        if (c == '\n')
            complete = true;
        else
            line += c;
    }
    // Nothing else is read: closing the pipe means a chatty child can never
    // block on it.
    closeFd(output_);
    if (complete && line.rfind("PORT ", 0) == 0) {
        const int port = std::atoi(line.c_str() + 5);
        if (port > 0)
            return port;
    }
    throw std::runtime_error(name_ + " did not start ("
                             + (complete ? "first line \"" + line + "\"" : std::string("no PORT line in time"))
                             + "); it logged:\n" + log());
}

void ChildProcess::awaitListening(int port, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!accepts(port)) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error(name_ + " ended before it listened; it logged:\n" + log());
        }
        if (Clock::now() > deadline)
            throw std::runtime_error(name_ + " did not listen on port " + std::to_string(port)
                                     + " in time; it logged:\n" + log());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ChildProcess::wait(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            closeFd(input_);
            if (!WIFEXITED(status))
                throw std::runtime_error(name_ + " was killed; it logged:\n" + log());
            return WEXITSTATUS(status);
        }
        if (done < 0 && errno != EINTR)
            throw std::runtime_error(name_ + ": " + std::strerror(errno));
        if (Clock::now() > deadline) {
            kill();
            throw std::runtime_error(name_ + " did not end in time; it logged:\n" + log());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::stop()
{
    if (pid_ <= 0)
        return;
    const int pid = pid_;
    const std::vector<int> under = descendants(pid);
    closeFd(input_);
    ::kill(-pid, SIGTERM);
    // Our servers end at once on either sign; only a wedged one waits out the two seconds.
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        ended = done == pid || (done < 0 && errno == ECHILD);
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int process : under)
        ::kill(process, SIGKILL);
    ::kill(-pid, SIGKILL);  // whatever is left of the group
    if (!ended)
        reap();
    pid_ = -1;
}

void ChildProcess::kill()
{
    if (pid_ <= 0)
        return;
    killAll();
    reap();
}

void ChildProcess::killAll()
{
    for (int process : descendants(pid_))
        ::kill(process, SIGKILL);
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    closeFd(input_);
}

void ChildProcess::reap()
{
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

std::string ChildProcess::log() const
{
    if (logPath_.empty())
        return {};
    std::ifstream in(logPath_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
