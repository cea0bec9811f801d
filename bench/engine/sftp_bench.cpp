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
#include "one_file_bench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

    sftp::SessionOptions options;
    options.sshFolder = argv[5];
    sftp::Session session(options);
    const auto logOn = [&] { return session.open(host, port, argv[4], ""); };
    return moveOneFile("sftp_bench", session, logOn, downloading, from, to);
}
