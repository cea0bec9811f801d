#include "engine_choice/endpoint.h"

#include <array>
#include <cctype>
#include <string_view>

namespace engine_choice {
namespace {

struct Scheme {
    std::string_view prefix;
    Protocol protocol;
    std::uint16_t defaultPort;
};

constexpr std::array schemes{
    Scheme{"ftp://", Protocol::Ftp, 21},
    Scheme{"ftpes://", Protocol::FtpExplicitTls, 21},
    Scheme{"ftps://", Protocol::FtpImplicitTls, 990},
    Scheme{"sftp://", Protocol::Sftp, 22},
};

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

Endpoint parseEndpoint(const std::string& typedHost, std::uint16_t port)
{
    std::string_view host = typedHost;
    const Scheme* scheme = nullptr;
    for (const auto& candidate : schemes) {
        if (startsWithNoCase(host, candidate.prefix)) {
            scheme = &candidate;
            host.remove_prefix(candidate.prefix.size());
            break;
        }
    }
    // "ftp://host/pub" names a host; the path is not ours to follow here.
    if (const auto slash = host.find('/'); slash != std::string_view::npos)
        host = host.substr(0, slash);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);

    Endpoint endpoint;
    endpoint.host = std::string(host);
    const bool portLeftAtDefault = port == 0 || port == 21;
    if (scheme) {
        endpoint.protocol = scheme->protocol;
        endpoint.port = portLeftAtDefault ? scheme->defaultPort : port;
    } else {
        endpoint.protocol = port == 22 ? Protocol::Sftp : Protocol::Ftp;
        endpoint.port = port == 0 ? 21 : port;
    }
    return endpoint;
}

} // namespace engine_choice
