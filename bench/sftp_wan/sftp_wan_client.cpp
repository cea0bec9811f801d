// The engine's side of the SFTP latency benchmark: one session does one job,
// as each other client does its own in one process, so all pay the same
// logon and the same link. Run by bench/sftp_wan/run.sh.
//
//   sftp_wan_client HOST PORT USER SSH-FOLDER JOB ARGS...
//     download REMOTE-FOLDER LOCAL-FOLDER NAME...   each NAME in turn
//     upload LOCAL-FOLDER REMOTE-FOLDER NAME...
//     list FOLDER...                                each FOLDER listed in turn
//     walk FOLDER                                   lists FOLDER and every folder below
//
// SSH-FOLDER stands for ~/.ssh: its known_hosts vouches for the server and its
// id_ed25519 logs on. Prints one line "<job>: <n> items" (for a listing, the
// entries of the last folder listed). Exits non-zero at the first failure.

#include "sftp/sftp_session.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// As the transfer window reads and writes.
constexpr std::size_t bufferSize = 256 * 1024;

[[noreturn]] void fail(const std::string& what, const session::Status& status)
{
    std::fprintf(stderr, "sftp_wan_client: %s: %s\n", what.c_str(), status.message().c_str());
    std::exit(1);
}

void check(const session::Status& status, const std::string& what)
{
    if (!status.ok())
        fail(what, status);
}

std::FILE* openLocal(const std::string& path, const char* mode)
{
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return file;
}

// `next`: the file of the batch that follows ("" for none), as the transfer window tells the session.
void download(sftp::Session& session, const std::string& remote, const std::string& local, const std::string& next)
{
    std::FILE* out = openLocal(local, "wb");
    check(session.openFile(remote, session::TransferDirection::Download), "open " + remote);
    if (!next.empty())
        session.nextTransferIs(next, session::TransferDirection::Download);
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

void upload(sftp::Session& session, const std::string& local, const std::string& remote, const std::string& next)
{
    std::FILE* in = openLocal(local, "rb");
    check(session.openFile(remote, session::TransferDirection::Upload), "open " + remote);
    if (!next.empty())
        session.nextTransferIs(next, session::TransferDirection::Upload);
    std::vector<char> buffer(bufferSize);
    while (const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), in))
        check(session.write(buffer.data(), count), "write " + remote);
    check(session.closeFile(), "upload " + remote);
    std::fclose(in);
}

int walk(sftp::Session& session, const std::string& folder)
{
    std::vector<session::ListEntry> entries;
    check(session.listFolder(folder, entries), "list " + folder);
    int folders = 1;
    for (const session::ListEntry& entry : entries) {
        if (entry.isFolder && !entry.isLink)
            folders += walk(session, folder + "/" + entry.name);
    }
    return folders;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::fprintf(stderr, "usage: sftp_wan_client HOST PORT USER SSH-FOLDER JOB ARGS...\n");
        return 2;
    }
    const std::string host = argv[1];
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[2]));
    const std::string job = argv[5];
    const std::vector<std::string> args(argv + 6, argv + argc);

    sftp::SessionOptions options;
    options.sshFolder = argv[4];
    sftp::Session session(options);
    check(session.open(host, port, argv[3], ""), "logon");

    std::size_t items = 0;
    if ((job == "download" || job == "upload") && args.size() >= 3) {
        for (std::size_t i = 2; i < args.size(); ++i, ++items) {
            const std::string from = args[0] + "/";
            // The next transfer's remote path: the source of a download, the target of an upload.
            const std::string remote = job == "download" ? from : args[1] + "/";
            const std::string next = i + 1 < args.size() ? remote + args[i + 1] : "";
            if (job == "download")
                download(session, from + args[i], args[1] + "/" + args[i], next);
            else
                upload(session, from + args[i], args[1] + "/" + args[i], next);
        }
    } else if (job == "list") {
        for (const std::string& folder : args) {
            std::vector<session::ListEntry> entries;
            check(session.listFolder(folder, entries), "list " + folder);
            items = entries.size();
        }
    } else if (job == "walk") {
        items = std::size_t(walk(session, args[0]));
    } else {
        std::fprintf(stderr, "sftp_wan_client: unknown job or missing arguments: %s\n", job.c_str());
        return 2;
    }
    session.close();
    std::printf("%s: %zu items\n", job.c_str(), items);
    return 0;
}
