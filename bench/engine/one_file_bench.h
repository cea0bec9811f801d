#pragma once
// Moves one file through a remote session in 1024-byte calls, as the transfer
// windows do, and prints the time taken and the process's peak memory:
// the body every engine's benchmark program shares, whatever the protocol.
// Output, one line: "<direction> bytes=<n> seconds=<s> mib_per_s=<r> peak_rss_kib=<k>".
// The time runs from logon to the close of the remote file.

#include "session/remote_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace one_file_bench {

inline int fail(const char* program, const char* what, const session::Status& status)
{
    std::fprintf(stderr, "%s: %s failed: %s\n", program, what, status.message().c_str());
    return 1;
}

inline bool writeAll(const char* program, int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            std::fprintf(stderr, "%s: write: %s\n", program, std::strerror(errno));
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

inline long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace one_file_bench


// `program` names the benchmark in messages; `logOn` opens `session`.
inline int moveOneFile(const char* program, session::RemoteSession& session,
                       const std::function<session::Status()>& logOn, bool downloading, const std::string& from,
                       const std::string& to)
{
    using namespace one_file_bench;
    // The local side moves 64 KiB per system call, as curl does, and copies
    // nothing itself, so the figures are the engine's: its 1024-byte calls go
    // straight from and into this buffer.
    const int local = downloading ? ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                                  : ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (local < 0) {
        std::fprintf(stderr, "%s: local file: %s\n", program, std::strerror(errno));
        return 1;
    }
    constexpr std::size_t localChunk = 64 * 1024;
    static char staging[localChunk];

    const auto start = std::chrono::steady_clock::now();
    if (session::Status s = logOn(); !s.ok())
        return fail(program, "logon", s);
    if (session::Status s = session.openFile(downloading ? from : to,
                                         downloading ? session::TransferDirection::Download
                                                     : session::TransferDirection::Upload);
        !s.ok())
        return fail(program, "open", s);

    constexpr std::size_t block = 1024;
    std::uint64_t total = 0;
    if (downloading) {
        std::size_t filled = 0;
        for (;;) {
            std::size_t count = 0;
            if (session::Status s = session.read(staging + filled, block, count); !s.ok())
                return fail(program, "read", s);
            filled += count;
            total += count;
            if (filled + block > localChunk || count < block) {
                if (!writeAll(program, local, staging, filled))
                    return 1;
                filled = 0;
            }
            if (count < block)
                break;
        }
    } else {
        for (;;) {
            const ssize_t count = ::read(local, staging, localChunk);
            if (count < 0) {
                std::fprintf(stderr, "%s: read: %s\n", program, std::strerror(errno));
                return 1;
            }
            if (count == 0)
                break;
            for (std::size_t at = 0; at < std::size_t(count); at += block) {
                const std::size_t size = std::min(block, std::size_t(count) - at);
                if (session::Status s = session.write(staging + at, size); !s.ok())
                    return fail(program, "write", s);
            }
            total += std::uint64_t(count);
        }
    }
    if (session::Status s = session.closeFile(); !s.ok())
        return fail(program, "close", s);
    const auto end = std::chrono::steady_clock::now();
    session.close();
    ::close(local);

    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("%s bytes=%llu seconds=%.3f mib_per_s=%.1f peak_rss_kib=%ld\n", downloading ? "download" : "upload",
                static_cast<unsigned long long>(total), seconds, double(total) / (1024.0 * 1024.0) / seconds,
                peakRssKiB());
    return 0;
}
