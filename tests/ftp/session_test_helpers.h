#pragma once
// Shared steps of the engine suites that talk to the real test server.

#include "ftp/ftp_session.h"
#include "support/test_ftp_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace session_test {

using namespace std::chrono_literals;

inline std::unique_ptr<ftp::Session> logOn(const TestFtpServer& server,
                                           std::chrono::milliseconds timeout = 5000ms)
{
    auto session = std::make_unique<ftp::Session>(ftp::SessionOptions{timeout});
    const ftp::Status status = session->open("127.0.0.1", std::uint16_t(server.port()),
                                             TestFtpServer::user(), TestFtpServer::password());
    EXPECT_TRUE(status.ok()) << status.message();
    return session;
}

struct Download {
    std::string bytes;
    ftp::Status readStatus;   // the first failed read, or success
    ftp::Status closeStatus;
};

// Reads in 1024-byte calls, as the windows do, until a short count or a failure.
inline Download download(ftp::Session& session)
{
    Download result;
    char block[1024];
    for (;;) {
        std::size_t count = 0;
        result.readStatus = session.read(block, sizeof block, count);
        result.bytes.append(block, count);
        if (!result.readStatus.ok() || count < sizeof block)
            break;
    }
    result.closeStatus = session.closeFile();
    return result;
}

// Writes in 1024-byte calls; the first failed write ends it. Returns closeFile()'s status.
inline ftp::Status upload(ftp::Session& session, const std::string& content, ftp::Status* writeStatus = nullptr)
{
    ftp::Status firstFailure;
    for (std::size_t at = 0; at < content.size(); at += 1024) {
        const std::size_t size = std::min<std::size_t>(1024, content.size() - at);
        ftp::Status status = session.write(content.data() + at, size);
        if (!status.ok()) {
            firstFailure = status;
            break;
        }
    }
    if (writeStatus)
        *writeStatus = firstFailure;
    return session.closeFile();
}

inline bool logHas(const TestFtpServer& server, const std::string& line)
{
    const auto log = server.commandLog();
    return std::find(log.begin(), log.end(), line) != log.end();
}

// For what the server logs after the client stopped waiting (QUIT): true once
// it shows, false when it has not within a few seconds.
inline bool logShows(const TestFtpServer& server, const std::string& line)
{
    for (int i = 0; i < 300 && !logHas(server, line); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return logHas(server, line);
}

inline std::size_t logCount(const TestFtpServer& server, const std::string& prefix)
{
    std::size_t count = 0;
    for (const auto& line : server.commandLog())
        count += line.rfind(prefix, 0) == 0;
    return count;
}

// A session that is still good for work: it answers PWD.
inline void expectUsable(ftp::Session& session)
{
    std::string path;
    const ftp::Status status = session.printWorkingDirectory(path);
    EXPECT_TRUE(status.ok()) << status.message();
}

} // namespace session_test
