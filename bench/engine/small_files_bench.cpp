// Time per small file: one session downloads and uploads a 1 KiB file many
// times in a row, as a batch of small files goes through the transfer dialog.
// Against a server with Nagle's algorithm on, each transfer's final reply
// waits for our acknowledgement of the one before; the engine must not let
// the system delay it.
//
//   small_files_bench PORT COUNT
//
// Prints "small files: <n> downloads <d> ms each, <n> uploads <u> ms each".
// Exits non-zero when a file is not byte-exact.

#include "ftp/ftp_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

int fail(const char* what, const ftp::Status& status)
{
    std::fprintf(stderr, "small_files_bench: %s failed: %s\n", what, status.message().c_str());
    return 1;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: small_files_bench PORT COUNT\n");
        return 2;
    }
    const auto port = std::uint16_t(std::atoi(argv[1]));
    const int count = std::atoi(argv[2]);
    std::string content(1024, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = char('a' + i % 26);

    ftp::Session session;
    if (ftp::Status s = session.open("127.0.0.1", port, "test", "secret"); !s.ok())
        return fail("logon", s);

    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (ftp::Status s = session.openFile("/up" + std::to_string(i) + ".bin", ftp::TransferDirection::Upload); !s.ok())
            return fail("open for upload", s);
        if (ftp::Status s = session.write(content.data(), content.size()); !s.ok())
            return fail("write", s);
        if (ftp::Status s = session.closeFile(); !s.ok())
            return fail("upload", s);
    }
    const double uploadMs = millisecondsSince(start);

    start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (ftp::Status s = session.openFile("/up" + std::to_string(i) + ".bin", ftp::TransferDirection::Download); !s.ok())
            return fail("open for download", s);
        std::string got(content.size() + 1, '\0');
        std::size_t moved = 0;
        if (ftp::Status s = session.read(got.data(), got.size(), moved); !s.ok())
            return fail("read", s);
        if (ftp::Status s = session.closeFile(); !s.ok())
            return fail("download", s);
        if (got.substr(0, moved) != content) {
            std::fprintf(stderr, "small_files_bench: file %d is not byte-exact\n", i);
            return 1;
        }
    }
    const double downloadMs = millisecondsSince(start);
    session.close();
    std::printf("small files: %d downloads %.1f ms each, %d uploads %.1f ms each\n", count, downloadMs / count, count,
                uploadMs / count);
    return 0;
}
