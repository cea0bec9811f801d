// The engine's side of the latency benchmark: one session does one job, as
// curl and lftp each do theirs in one process, so the three pay the same
// logon and the same link. Run by bench/wan/run.sh.
//
//   wan_client HOST PORT AUTHORITY|- JOB ARGS...
//     download REMOTE-FOLDER LOCAL-FOLDER NAME...   each NAME in turn
//     upload LOCAL-FOLDER REMOTE-FOLDER NAME...
//     list FOLDER...                                each FOLDER listed in turn
//     walk FOLDER                                   lists FOLDER and every folder below
//
// AUTHORITY is the test authority's certificate for a server that requires
// TLS ("-": none). Prints one line "<job>: <n> items" (for a listing, the
// entries of the last folder listed). Exits non-zero at the first failure,
// naming it.

#include "ftp/ftp_session.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t bufferSize = 256 * 1024;

[[noreturn]] void fail(const std::string& what, const ftp::Status& status)
{
    std::fprintf(stderr, "wan_client: %s: %s\n", what.c_str(), status.message().c_str());
    std::exit(1);
}

void check(const ftp::Status& status, const std::string& what)
{
    if (!status.ok())
        fail(what, status);
}

// `more`: another file of the batch follows, as the transfer dialog tells the session.
void download(ftp::Session& session, const std::string& remote, const std::string& local, bool more)
{
    std::FILE* out = std::fopen(local.c_str(), "wb");
    if (out == nullptr) {
        std::perror(local.c_str());
        std::exit(1);
    }
    check(session.openFile(remote, ftp::TransferDirection::Download), "open " + remote);
    if (more)
        session.anotherTransferFollows();
    std::vector<char> buffer(bufferSize);
    for (;;) {
        std::size_t count = 0;
        check(session.read(buffer.data(), buffer.size(), count), "read " + remote);
        if (count > 0 && std::fwrite(buffer.data(), 1, count, out) != count) {
            std::perror(local.c_str());
            std::exit(1);
        }
        if (count < buffer.size())
            break;
    }
    check(session.closeFile(), "download " + remote);
    std::fclose(out);
}

void upload(ftp::Session& session, const std::string& local, const std::string& remote, bool more)
{
    std::FILE* in = std::fopen(local.c_str(), "rb");
    if (in == nullptr) {
        std::perror(local.c_str());
        std::exit(1);
    }
    check(session.openFile(remote, ftp::TransferDirection::Upload), "open " + remote);
    if (more)
        session.anotherTransferFollows();
    std::vector<char> buffer(bufferSize);
    while (const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), in))
        check(session.write(buffer.data(), count), "write " + remote);
    check(session.closeFile(), "upload " + remote);
    std::fclose(in);
}

int walk(ftp::Session& session, const std::string& folder)
{
    std::vector<ftp::ListEntry> entries;
    check(session.listFolder(folder, entries), "list " + folder);
    int folders = 1;
    for (const ftp::ListEntry& entry : entries) {
        if (entry.isFolder && entry.name != "." && entry.name != "..")
            folders += walk(session, folder + "/" + entry.name);
    }
    return folders;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: wan_client HOST PORT AUTHORITY|- JOB ARGS...\n");
        return 2;
    }
    const std::string host = argv[1];
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[2]));
    const std::string authority = argv[3];
    const std::string job = argv[4];
    const std::vector<std::string> args(argv + 5, argv + argc);

    ftp::SessionOptions options;
    if (authority != "-")
        options.tls.authorityFile = authority;
    ftp::Session session(options);
    check(session.open(host, port, "test", "secret"), "logon");

    std::size_t items = 0;
    if ((job == "download" || job == "upload") && args.size() >= 3) {
        for (std::size_t i = 2; i < args.size(); ++i, ++items) {
            const bool more = i + 1 < args.size();
            if (job == "download")
                download(session, args[0] + "/" + args[i], args[1] + "/" + args[i], more);
            else
                upload(session, args[0] + "/" + args[i], args[1] + "/" + args[i], more);
        }
    } else if (job == "list") {
        for (const std::string& folder : args) {
            std::vector<ftp::ListEntry> entries;
            check(session.listFolder(folder, entries), "list " + folder);
            items = entries.size();
        }
    } else if (job == "walk") {
        items = std::size_t(walk(session, args[0]));
    } else {
        std::fprintf(stderr, "wan_client: unknown job or missing arguments: %s\n", job.c_str());
        return 2;
    }
    session.close();
    std::printf("%s: %zu items\n", job.c_str(), items);
    return 0;
}
