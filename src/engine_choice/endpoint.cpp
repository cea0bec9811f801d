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

// "%40" and the like in the user name and path of a pasted address.
std::string percentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += char(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// An address split into its parts; the scheme is whatever precedes "://".
struct Parts {
    const Scheme* scheme = nullptr;
    std::string_view user;
    bool hadPassword = false;
    std::string_view host;
    std::uint16_t port = 0;
    std::string_view path;
};

Parts split(std::string_view text)
{
    Parts parts;
    for (const auto& candidate : schemes) {
        if (startsWithNoCase(text, candidate.prefix)) {
            parts.scheme = &candidate;
            text.remove_prefix(candidate.prefix.size());
            break;
        }
    }
    if (const auto slash = text.find('/'); slash != std::string_view::npos) {
        parts.path = text.substr(slash);
        text = text.substr(0, slash);
    }
    // The last "@" ends the user part: a user name may hold one, a host never.
    if (const auto at = text.rfind('@'); at != std::string_view::npos) {
        std::string_view userInfo = text.substr(0, at);
        text = text.substr(at + 1);
        if (const auto colon = userInfo.find(':'); colon != std::string_view::npos) {
            parts.hadPassword = true;
            userInfo = userInfo.substr(0, colon);
        }
        parts.user = userInfo;
    }
    // "[::1]:2222", "host:2222"; a bare IPv6 address ("::1") has no port.
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close != std::string_view::npos) {
            if (close + 1 < text.size() && text[close + 1] == ':')
                portText = text.substr(close + 2);
            text = text.substr(1, close - 1);
        }
    } else if (const auto colon = text.find(':');
               colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        portText = text.substr(colon + 1);
        text = text.substr(0, colon);
    }
    if (!portText.empty() && portText.size() <= 5
        && portText.find_first_not_of("0123456789") == std::string_view::npos) {
        const int number = std::stoi(std::string(portText));
        if (number > 0 && number <= 65535)
            parts.port = std::uint16_t(number);
    }
    parts.host = text;
    return parts;
}

} // namespace

Endpoint parseEndpoint(const std::string& typedHost, std::uint16_t port)
{
    const Parts parts = split(typedHost);
    Endpoint endpoint;
    endpoint.host = std::string(parts.host);
    endpoint.user = percentDecoded(parts.user);
    endpoint.hadPassword = parts.hadPassword;
    endpoint.urlPort = parts.port;
    endpoint.path = percentDecoded(parts.path);
    if (parts.port)
        port = parts.port;
    const bool portLeftAtDefault = port == 0 || port == 21;
    if (parts.scheme) {
        endpoint.protocol = parts.scheme->protocol;
        endpoint.port = portLeftAtDefault && !parts.port ? parts.scheme->defaultPort : port;
    } else {
        endpoint.protocol = port == 22 ? Protocol::Sftp : Protocol::Ftp;
        endpoint.port = port == 0 ? 21 : port;
    }
    return endpoint;
}

std::string hostFieldOf(const std::string& typedHost)
{
    const Parts parts = split(typedHost);
    if (parts.user.empty() && !parts.hadPassword && !parts.port && parts.path.empty())
        return typedHost;
    const std::string host(parts.host);
    const bool bracketed = host.find(':') != std::string::npos;
    return (parts.scheme ? std::string(parts.scheme->prefix) : std::string()) + (bracketed ? "[" + host + "]" : host);
}

} // namespace engine_choice
