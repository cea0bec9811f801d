#pragma once
// The floor of a folder listing: what the least possible client does for one,
// against the same server. Logged on beforehand; timed from asking for the data
// connection (EPSV) to the server's confirmation of the MLSD after it, with the
// listing read and dropped. No parsing, nothing shown.

#include <cstdint>
#include <string>

class RawMlsdClient {
public:
    // Logs on as test/secret; exits the process when the server refuses.
    explicit RawMlsdClient(std::uint16_t port);
    ~RawMlsdClient();
    RawMlsdClient(const RawMlsdClient&) = delete;
    RawMlsdClient& operator=(const RawMlsdClient&) = delete;

    // Milliseconds for one listing of `folder`.
    double listMilliseconds(const std::string& folder);

private:
    std::string readLine();
    std::string reply(const std::string& command);

    int control_ = -1;
    std::string pending_;
};
