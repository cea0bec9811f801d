// Moves one file through the engine in 1024-byte calls, as the transfer
// windows do, and prints the time taken and the process's peak memory.
//
//   engine_bench download HOST PORT USER PASSWORD REMOTE LOCAL
//   engine_bench upload   HOST PORT USER PASSWORD LOCAL REMOTE
//
// Output, one line: "<direction> bytes=<n> seconds=<s> mib_per_s=<r> peak_rss_kib=<k>".
// The time runs from logon to the server's final reply, like curl's total time.

#include "ftp/ftp_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/resource.h>

namespace {

int fail(const char* what, const ftp::Status& status)
{
    std::fprintf(stderr, "engine_bench: %s failed: %s\n", what, status.message().c_str());
    return 1;
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
        std::fprintf(stderr, "usage: engine_bench download|upload HOST PORT USER PASSWORD FROM TO\n");
        return 2;
    }
    const bool downloading = std::strcmp(argv[1], "download") == 0;
    const std::string host = argv[2];
    const auto port = std::uint16_t(std::atoi(argv[3]));
    const std::string from = argv[6];
    const std::string to = argv[7];

    std::FILE* local = std::fopen(downloading ? to.c_str() : from.c_str(), downloading ? "wb" : "rb");
    if (!local) {
        std::perror("engine_bench: local file");
        return 1;
    }
    // The local side should cost as little as it does for curl.
    static char stdioBuffer[256 * 1024];
    std::setvbuf(local, stdioBuffer, _IOFBF, sizeof stdioBuffer);

    const auto start = std::chrono::steady_clock::now();
    ftp::Session session;
    if (ftp::Status s = session.open(host, port, argv[4], argv[5]); !s.ok())
        return fail("logon", s);
    if (ftp::Status s = session.openFile(downloading ? from : to,
                                         downloading ? ftp::TransferDirection::Download
                                                     : ftp::TransferDirection::Upload);
        !s.ok())
        return fail("open", s);

    char block[1024];
    std::uint64_t total = 0;
    if (downloading) {
        for (;;) {
            std::size_t count = 0;
            if (ftp::Status s = session.read(block, sizeof block, count); !s.ok())
                return fail("read", s);
            std::fwrite(block, 1, count, local);
            total += count;
            if (count < sizeof block)
                break;
        }
    } else {
        for (;;) {
            const std::size_t count = std::fread(block, 1, sizeof block, local);
            if (count == 0)
                break;
            if (ftp::Status s = session.write(block, count); !s.ok())
                return fail("write", s);
            total += count;
        }
    }
    if (ftp::Status s = session.closeFile(); !s.ok())
        return fail("close", s);
    const auto end = std::chrono::steady_clock::now();
    session.close();
    std::fclose(local);

    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("%s bytes=%llu seconds=%.3f mib_per_s=%.1f peak_rss_kib=%ld\n", argv[1],
                static_cast<unsigned long long>(total), seconds, double(total) / (1024.0 * 1024.0) / seconds,
                peakRssKiB());
    return 0;
}
