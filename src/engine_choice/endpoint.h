#pragma once
// Which protocol and port the Host and Port fields ask for. The user may write
// the scheme other clients know in front of the host name; it is never sent
// to the server.

#include <cstdint>
#include <string>

namespace engine_choice {

enum class Protocol {
    Ftp,             // "ftp://" or no scheme: TLS when the server offers it
    FtpExplicitTls,  // "ftpes://": AUTH TLS or no logon
    FtpImplicitTls,  // "ftps://": TLS from the first byte
    Sftp,            // "sftp://", or port 22 with no scheme
};

struct Endpoint {
    Protocol protocol = Protocol::Ftp;
    std::string host;      // without scheme, path or brackets around an IPv6 address
    std::uint16_t port = 21;
};

// `port` is the Port field's number, 0 when empty. A port of 21 or 0 takes the
// scheme's own default (990 for ftps, 22 for sftp); any other number is kept.
Endpoint parseEndpoint(const std::string& typedHost, std::uint16_t port);

} // namespace engine_choice
