// Endurance through the FTP client interface: many logons and logoffs, then
// many downloads in a row, with the open file descriptors and the resident
// memory before and after each run. Nothing may pile up: a leaked socket or
// a few bytes kept per logon show here long before a user notices.
//
//   endurance_bench <port> <remote file> <its size> <logons> <downloads>
//
// Prints one line per measurement and "PASS" or "FAIL: ..." last.

#include "main_window/ftp_client.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Usage {
    int descriptors = 0;
    long residentKiB = 0;
};

Usage usage()
{
    Usage now;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(folder))
            if (entry->d_name[0] != '.')
                ++now.descriptors;
        ::closedir(folder);
        --now.descriptors;  // the folder being read
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            now.residentKiB = std::strtol(line.c_str() + 6, nullptr, 10);
    return now;
}

std::string failure;

// A failed call says what the client interface last reported.
void fail(const std::string& what, bool fromCall = true)
{
    if (failure.empty())
        failure = fromCall ? what + ": " + InternetGetLastErrorText() : what;
}

// One logon as the main window does it: open, connect, ask for the current
// folder and list it; then log off.
void logonAndLogoff(int port)
{
    const HINTERNET internet = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "", INTERNET_FLAG_NO_CACHE_WRITE);
    const HINTERNET connection = InternetConnectA(internet, "127.0.0.1", std::uint16_t(port), "test", "secret",
                                                  INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    std::string folder;
    if (!connection || !FtpGetCurrentDirectoryA(connection, folder)) {
        fail("logon");
    } else {
        WIN32_FIND_DATAA record;
        const HINTERNET find = FtpFindFirstFileA(connection, folder + "*.*", record, INTERNET_FLAG_RELOAD, 0);
        while (find && InternetFindNextFileA(find, record)) {
        }
        if (!find)
            fail("listing");
        (void)InternetCloseHandle(find);
    }
    (void)InternetCloseHandle(connection);
    (void)InternetCloseHandle(internet);
}

void download(HINTERNET connection, const std::string& path, std::uint64_t size, std::vector<char>& buffer)
{
    const HINTERNET file = FtpOpenFileA(connection, path, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    if (!file) {
        fail("opening " + path);
        return;
    }
    std::uint64_t total = 0;
    for (std::uint32_t read = 0; InternetReadFile(file, buffer.data(), std::uint32_t(buffer.size()), read) && read;)
        total += read;
    if (!InternetCloseHandle(file) || total != size)
        fail("downloading " + path + " (" + std::to_string(total) + " bytes)");
}

void report(const char* when, const Usage& at)
{
    std::printf("%-28s descriptors %3d   resident %7ld KiB\n", when, at.descriptors, at.residentKiB);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s <port> <remote file> <size> <logons> <downloads>\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const std::string path = argv[2];
    const std::uint64_t size = std::strtoull(argv[3], nullptr, 10);
    const int logons = std::atoi(argv[4]);
    const int downloads = std::atoi(argv[5]);
    // Memory may settle in the first rounds (allocator pools, resolver
    // state); what counts is growth after that.
    const int warmUp = 20;
    const long allowedGrowthKiB = 512;

    for (int i = 0; i < warmUp; ++i)
        logonAndLogoff(port);
    const Usage beforeLogons = usage();
    report("before logons", beforeLogons);
    for (int i = 0; i < logons; ++i)
        logonAndLogoff(port);
    const Usage afterLogons = usage();
    report(("after " + std::to_string(logons) + " logons").c_str(), afterLogons);

    const HINTERNET internet = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "", INTERNET_FLAG_NO_CACHE_WRITE);
    const HINTERNET connection = InternetConnectA(internet, "127.0.0.1", std::uint16_t(port), "test", "secret",
                                                  INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    if (!connection)
        fail("logon for the downloads");
    std::vector<char> buffer(1024);  // the windows' block size
    for (int i = 0; i < warmUp && connection; ++i)
        download(connection, path, size, buffer);
    const Usage beforeDownloads = usage();
    report("before downloads", beforeDownloads);
    for (int i = 0; i < downloads && connection; ++i)
        download(connection, path, size, buffer);
    const Usage afterDownloads = usage();
    report(("after " + std::to_string(downloads) + " downloads").c_str(), afterDownloads);
    (void)InternetCloseHandle(connection);
    (void)InternetCloseHandle(internet);

    const auto check = [](const char* run, const Usage& before, const Usage& after, long allowed) {
        if (after.descriptors != before.descriptors)
            fail(std::string(run) + ": descriptors went from " + std::to_string(before.descriptors) + " to "
                 + std::to_string(after.descriptors), false);
        if (after.residentKiB - before.residentKiB > allowed)
            fail(std::string(run) + ": resident memory grew by "
                 + std::to_string(after.residentKiB - before.residentKiB) + " KiB", false);
    };
    check("logons", beforeLogons, afterLogons, allowedGrowthKiB);
    check("downloads", beforeDownloads, afterDownloads, allowedGrowthKiB);
    if (!failure.empty()) {
        std::printf("FAIL: %s\n", failure.c_str());
        return 1;
    }
    std::printf("PASS (growth allowed: none in descriptors, %ld KiB in resident memory)\n", allowedGrowthKiB);
    return 0;
}
