// The SFTP logon with an ssh-agent that lists its keys and then never
// answers: the logon goes on without it once the time-out has passed.

#include "sftp/sftp_session.h"
#include "support/test_ssh_server.h"
#include "support/scripted_questions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

std::string u32(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// Lists one key, which the server accepts, and takes every request to sign
// with it without a word back.
class MuteSigningAgent {
public:
    MuteSigningAgent(const std::string& path, std::string keyBlob) : path_(path), keyBlob_(std::move(keyBlob))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(listener_, 4) != 0 || ::pipe(stop_) != 0)
            throw std::runtime_error("MuteSigningAgent: cannot listen on " + path);
        server_ = std::thread([this] { serve(); });
    }
    ~MuteSigningAgent()
    {
        ::close(stop_[1]);
        server_.join();
        ::close(stop_[0]);
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    int signRequests() const { return signRequests_; }

private:
    void serve()
    {
        std::map<int, std::string> clients;  // descriptor, bytes not yet taken
        for (;;) {
            std::vector<pollfd> watched{{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
            for (const auto& client : clients)
                watched.push_back({client.first, POLLIN, 0});
            if (::poll(watched.data(), watched.size(), -1) < 0 || watched[0].revents)
                break;
            if (watched[1].revents)
                clients[::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)];
            for (std::size_t i = 2; i < watched.size(); ++i) {
                if (!watched[i].revents)
                    continue;
                char chunk[4096];
                const ssize_t count = ::read(watched[i].fd, chunk, sizeof chunk);
                if (count <= 0) {
                    ::close(watched[i].fd);
                    clients.erase(watched[i].fd);
                    continue;
                }
                answer(watched[i].fd, clients[watched[i].fd].append(chunk, std::size_t(count)));
            }
        }
        for (const auto& client : clients)
            ::close(client.first);
    }
    void answer(int fd, std::string& pending)
    {
        while (pending.size() >= 5) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(pending.data());
            const std::size_t length = std::size_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
            if (pending.size() < 4 + length)
                return;
            const unsigned char type = bytes[4];
            pending.erase(0, 4 + length);
            std::string reply;
            if (type == 11) {  // the identities: one key
                reply = char(12) + u32(1) + u32(std::uint32_t(keyBlob_.size())) + keyBlob_ + u32(4) + "mute";
            } else if (type == 13) {
                ++signRequests_;
                continue;
            } else {
                reply = std::string(1, char(5));  // failure
            }
            const std::string message = u32(std::uint32_t(reply.size())) + reply;
            (void)::write(fd, message.data(), message.size());
        }
    }

    std::string path_;
    std::string keyBlob_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::atomic<int> signRequests_{0};
    std::thread server_;
};

TEST(SftpAgent, anAgentThatNeverSignsIsCutOffAndTheLogonGoesOnWithTheKeyFile)
{
    TestSshServer server;
    const std::string folder = server.scratch() + "/mute-agent";
    std::filesystem::create_directories(folder);
    runCommand("ssh-keygen -q -t ed25519 -N '' -C mute -f " + folder + "/key");
    std::string publicKey;
    std::getline(std::ifstream(folder + "/key.pub"), publicKey);
    server.authorize(publicKey);
    runCommand("cut -d' ' -f2 " + folder + "/key.pub | base64 -d > " + folder + "/blob");
    std::ifstream blobFile(folder + "/blob", std::ios::binary);
    const std::string blob{std::istreambuf_iterator<char>(blobFile), {}};

    MuteSigningAgent agent(folder + "/socket", blob);
    ::setenv("SSH_AUTH_SOCK", (folder + "/socket").c_str(), 1);
    sftp::SessionOptions options;
    options.timeout = 2000ms;
    options.sshFolder = server.clientFolder();
    options.questions = trustingHostKeys();
    sftp::Session session(options);
    const auto status = session.open("127.0.0.1", std::uint16_t(server.port()), server.user(), "");
    ::unsetenv("SSH_AUTH_SOCK");
    EXPECT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(agent.signRequests(), 1);
}

} // namespace
