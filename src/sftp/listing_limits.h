#pragma once
// How far one folder listing may go before the server is taken to be
// listing for ever.

#include <chrono>
#include <cstddef>

namespace sftp {

struct ListingLimits {
    // As many entries and bytes as the FTP engine takes in one listing: room
    // for ten times a real 100,000-entry folder, in a few hundred MiB at most.
    std::size_t entries = 1000000;
    std::size_t bytes = 64 * 1024 * 1024;
    // 100,000 entries come in about 1,000 answers of OpenSSH's 100 names,
    // some 300 s over a 300 ms link; twice that is no listing's.
    std::chrono::milliseconds time{600000};
};

} // namespace sftp
