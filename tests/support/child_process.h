#pragma once
// A helper process a test starts: a server, or a tool run to its end.
//
// It runs in a process group of its own. Its standard input is a pipe this
// object holds and never writes: it reaches end of file when the object goes
// or the test process dies unawares, which is the sign for our servers to
// stop (a program that does not watch its input is wrapped in a shell that
// does). Its standard output is a pipe read only for the line saying it is
// ready; its standard error goes to a log file. So it never holds the test
// runner's own output pipe, which would keep the runner waiting after the
// test has ended.

#include <chrono>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Runs argv[0] (a path) with `environment` ("NAME=value") added to ours;
    // standard error goes to `logPath` (appended to), or nowhere when empty.
    explicit ChildProcess(std::vector<std::string> argv, std::string logPath = {},
                          std::vector<std::string> environment = {});
    // Kills it and everything it started, and waits for it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The port in the first line it prints, "PORT <n>", waiting at most
    // `limit`. Stops reading its output after that line. Throws with the
    // line or what it logged when none comes.
    int readyPort(std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Waits at most `limit` until 127.0.0.1:port takes connections; throws
    // with what it logged when it exits first or the time runs out.
    void awaitListening(int port, std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Waits at most `limit` for it to end; its exit status, or throws when
    // it does not end in time or is killed by a signal.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

    // Asks it to stop (end of input, SIGTERM), then kills what is left of
    // its process group and of the processes under it (sshd's sessions
    // leave the group). Waits for it. Harmless once it is gone.
    void stop();
    // The same without asking first: everything dies at once.
    void kill();
    bool running() const { return pid_ > 0; }

    // What it wrote to its standard error so far.
    std::string log() const;
    const std::string& name() const { return name_; }

private:
    void killAll();
    void reap();

    std::string name_;
    std::string logPath_;
    int pid_ = -1;
    int input_ = -1;   // closing it asks the child to stop
    int output_ = -1;  // read until the ready line
};
