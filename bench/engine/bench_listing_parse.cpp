// Time of turning a 100,000-entry folder listing into entries, for the Unix
// LIST form and for MLSD. The time is this thread's CPU time, best of many
// rounds: on a machine shared with builds, wall time mostly measures waiting.
//
//   bench_listing_parse [entries]
//
// Prints "parse 100000 unix lines: 41.2 ms" and the same for MLSD.

#include "ftp/listing/listing_parser.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string unixBody(int count)
{
    std::string body = "total " + std::to_string(count) + "\r\n";
    char line[256];
    for (int i = 0; i < count; ++i) {
        const bool folder = i % 10 == 0;
        const bool recent = i % 3 == 0;
        if (recent)
            std::snprintf(line, sizeof line, "%s    1 ftp      ftp      %10d %s %2d %02d:%02d file number %d.dat\r\n",
                          folder ? "drwxr-xr-x" : "-rw-r--r--", i * 37, months[i % 12], i % 28 + 1, i % 24,
                          i % 60, i);
        else
            std::snprintf(line, sizeof line, "%s    1 ftp      ftp      %10d %s %2d  %d file number %d.dat\r\n",
                          folder ? "drwxr-xr-x" : "-rw-r--r--", i * 37, months[i % 12], i % 28 + 1,
                          2000 + i % 24, i);
        body += line;
    }
    return body;
}

std::string mlsdBody(int count)
{
    std::string body;
    char line[256];
    for (int i = 0; i < count; ++i) {
        const bool folder = i % 10 == 0;
        std::snprintf(line, sizeof line,
                      "type=%s;size=%d;modify=2023%02d%02d%02d%02d%02d;perm=adfr;UNIX.mode=0644; file number %d.dat\r\n",
                      folder ? "dir" : "file", i * 37, i % 12 + 1, i % 28 + 1, i % 24, i % 60, i % 60, i);
        body += line;
    }
    return body;
}

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <typename Parse>
double bestMilliseconds(Parse parse, int expected)
{
    double best = 1e300;
    for (int round = 0; round < 15; ++round) {
        const double start = threadMilliseconds();
        const auto entries = parse();
        const double stop = threadMilliseconds();
        if (int(entries.size()) != expected) {
            std::fprintf(stderr, "bench_listing_parse: %zu entries, expected %d\n", entries.size(), expected);
            std::exit(1);
        }
        best = std::min(best, stop - start);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const ftp::DateTime now{2024, 6, 15, 12, 0, 0};
    const std::string unix = unixBody(count);
    const std::string mlsd = mlsdBody(count);
    std::printf("parse %d unix lines: %.1f ms\n", count,
                bestMilliseconds([&] { return ftp::parseListListing(unix, now); }, count));
    std::printf("parse %d mlsd lines: %.1f ms\n", count,
                bestMilliseconds([&] { return ftp::parseMlsdListing(mlsd); }, count));
    return 0;
}
