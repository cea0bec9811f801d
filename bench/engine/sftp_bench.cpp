// Moves one file through the SFTP engine in 1024-byte calls, as the transfer
// windows do, and prints the time taken and the process's peak memory.
//
//   sftp_bench download HOST PORT USER SSH-FOLDER REMOTE LOCAL
//   sftp_bench upload   HOST PORT USER SSH-FOLDER LOCAL REMOTE
//
// SSH-FOLDER stands for ~/.ssh: its known_hosts vouches for the server and
// its id_ed25519 logs on.
// Output, one line: "<direction> bytes=<n> seconds=<s> mib_per_s=<r> peak_rss_kib=<k>".
// The time runs from the connection to the close of the remote file, like
// OpenSSH's sftp run for one file.

#include "sftp/sftp_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <algorithm>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int fail(const char* what, const session::Status& status)
{
    std::fprintf(stderr, "sftp_bench: %s failed: %s\n", what, status.message().c_str());
    return 1;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            std::perror("sftp_bench: write");
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 8 || (std::strcmp(argv[1], "download") != 0 && std::strcmp(argv[1], "upload") != 0)) {
        std::fprintf(stderr, "usage: sftp_bench download|upload HOST PORT USER SSH-FOLDER FROM TO\n");
        return 2;
    }
    const bool downloading = std::strcmp(argv[1], "download") == 0;
    const std::string host = argv[2];
    const auto port = std::uint16_t(std::atoi(argv[3]));
    const std::string from = argv[6];
    const std::string to = argv[7];

    // The local side moves 64 KiB per system call, as curl does, and copies
    // nothing itself, so the figures are the engine's: its 1024-byte calls go
    // straight from and into this buffer.
    const int local = downloading ? ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                                  : ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (local < 0) {
        std::perror("sftp_bench: local file");
        return 1;
    }
    constexpr std::size_t localChunk = 64 * 1024;
    static char staging[localChunk];

    const auto start = std::chrono::steady_clock::now();
    sftp::SessionOptions options;
    options.sshFolder = argv[5];
    sftp::Session session(options);
    if (session::Status s = session.open(host, port, argv[4], ""); !s.ok())
        return fail("logon", s);
    if (session::Status s = session.openFile(downloading ? from : to,
                                         downloading ? session::TransferDirection::Download
                                                     : session::TransferDirection::Upload);
        !s.ok())
        return fail("open", s);

    constexpr std::size_t block = 1024;
    std::uint64_t total = 0;
    if (downloading) {
        std::size_t filled = 0;
        for (;;) {
            std::size_t count = 0;
            if (session::Status s = session.read(staging + filled, block, count); !s.ok())
                return fail("read", s);
            filled += count;
            total += count;
            if (filled + block > localChunk || count < block) {
                if (!writeAll(local, staging, filled))
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
                std::perror("sftp_bench: read");
                return 1;
            }
            if (count == 0)
                break;
            for (std::size_t at = 0; at < std::size_t(count); at += block) {
                const std::size_t size = std::min(block, std::size_t(count) - at);
                if (session::Status s = session.write(staging + at, size); !s.ok())
                    return fail("write", s);
            }
            total += std::uint64_t(count);
        }
    }
    if (session::Status s = session.closeFile(); !s.ok())
        return fail("close", s);
    const auto end = std::chrono::steady_clock::now();
    session.close();
    ::close(local);

    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("%s bytes=%llu seconds=%.3f mib_per_s=%.1f peak_rss_kib=%ld\n", argv[1],
                static_cast<unsigned long long>(total), seconds, double(total) / (1024.0 * 1024.0) / seconds,
                peakRssKiB());
    return 0;
}
