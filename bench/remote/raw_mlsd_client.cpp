#include "raw_mlsd_client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

[[noreturn]] void giveUp(const std::string& why)
{
    std::fprintf(stderr, "raw MLSD client: %s\n", why.c_str());
    std::exit(2);
}

int connectTo(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        giveUp("cannot connect to port " + std::to_string(port));
    return fd;
}

} // namespace

RawMlsdClient::RawMlsdClient(std::uint16_t port) : control_(connectTo(port))
{
    (void)reply({});  // the greeting
    (void)reply("USER test");
    if (reply("PASS secret").rfind("230", 0) != 0)
        giveUp("logon refused");
}

RawMlsdClient::~RawMlsdClient() { ::close(control_); }

std::string RawMlsdClient::readLine()
{
    for (;;) {
        const auto end = pending_.find("\r\n");
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            return line;
        }
        char chunk[4096];
        const long got = ::recv(control_, chunk, sizeof chunk, 0);
        if (got <= 0)
            giveUp("the control connection closed");
        pending_.append(chunk, std::size_t(got));
    }
}

// Sends `command` (none: only reads) and returns the last line of its reply.
std::string RawMlsdClient::reply(const std::string& command)
{
    if (!command.empty()) {
        const std::string line = command + "\r\n";
        if (::send(control_, line.data(), line.size(), 0) != long(line.size()))
            giveUp("cannot send " + command);
    }
    std::string line = readLine();
    if (line.size() > 3 && line[3] == '-') {
        const std::string last = line.substr(0, 3) + ' ';
        while (line.rfind(last, 0) != 0)
            line = readLine();
    }
    return line;
}

double RawMlsdClient::listMilliseconds(const std::string& folder)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string passive = reply("EPSV");
    const auto bars = passive.find("|||");
    if (passive.rfind("229", 0) != 0 || bars == std::string::npos)
        giveUp("EPSV refused: " + passive);
    const int data = connectTo(std::uint16_t(std::atoi(passive.c_str() + bars + 3)));
    const std::string opened = reply("MLSD " + folder);
    if (opened[0] != '1')
        giveUp("MLSD refused: " + opened);
    std::vector<char> chunk(64 * 1024);
    while (::recv(data, chunk.data(), chunk.size(), 0) > 0) {
    }
    ::close(data);
    if (readLine().rfind("226", 0) != 0)
        giveUp("MLSD did not end well");
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
