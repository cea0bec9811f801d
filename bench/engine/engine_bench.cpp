// Moves one file through the engine in 1024-byte calls, as the transfer
// windows do, and prints the time taken and the process's peak memory.
//
//   engine_bench download HOST PORT USER PASSWORD REMOTE LOCAL [AUTHORITY]
//   engine_bench upload   HOST PORT USER PASSWORD LOCAL REMOTE [AUTHORITY]
//
// AUTHORITY, a PEM file, is trusted besides the system's roots, for a server
// that encrypts with a test certificate.
// Output, one line: "<direction> bytes=<n> seconds=<s> mib_per_s=<r> peak_rss_kib=<k>".
// The time runs from logon to the server's final reply, like curl's total time.

#include "ftp/ftp_session.h"
#include "one_file_bench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 8 || argc > 9 || (std::strcmp(argv[1], "download") != 0 && std::strcmp(argv[1], "upload") != 0)) {
        std::fprintf(stderr, "usage: engine_bench download|upload HOST PORT USER PASSWORD FROM TO [AUTHORITY]\n");
        return 2;
    }
    const bool downloading = std::strcmp(argv[1], "download") == 0;
    const std::string host = argv[2];
    const auto port = std::uint16_t(std::atoi(argv[3]));
    const std::string from = argv[6];
    const std::string to = argv[7];

    ftp::SessionOptions options;
    if (argc == 9)
        options.tls.authorityFile = argv[8];
    ftp::Session session(options);
    const auto logOn = [&] { return session.open(host, port, argv[4], argv[5]); };
    return moveOneFile("engine_bench", session, logOn, downloading, from, to);
}
