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
    std::string host;      // without scheme, user, port, path or brackets around an IPv6 address
    std::uint16_t port = 21;
    // What a pasted address carries besides: "sftp://ann@host:2222/srv/www".
    std::string user;       // "" when none; percent-escapes decoded
    std::uint16_t urlPort = 0;  // 0 when none
    std::string path;       // "/srv/www"; "" when none
    bool hadPassword = false;   // "ann:secret@host": the password is dropped
};

// `port` is the Port field's number, 0 when empty. A port of 21 or 0 takes the
// scheme's own default (990 for ftps, 22 for sftp); any other number is kept.
// A port in the address itself ("host:2222") wins over the field.
Endpoint parseEndpoint(const std::string& typedHost, std::uint16_t port);

// The Host field as it may be kept: scheme and host, without user, password,
// port or path ("sftp://ann:pw@web:2222/srv" gives "sftp://web"). A text that
// is no address is kept as it is.
std::string hostFieldOf(const std::string& typedHost);

} // namespace engine_choice
