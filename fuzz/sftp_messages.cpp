// SFTP answers as the channel takes them from a server: length-prefixed
// messages one after another. Whatever a message holds, reading it ends with
// an answer or nothing, never claims more than its bytes can carry, and
// reads back the same from the answer written out again.
#include "sftp/sftp_messages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds, const char* rule)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken rule: %s\n", rule);
    std::abort();
}

void put32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(value >> shift);
}

void putString(std::string& out, std::string_view text)
{
    put32(out, std::uint32_t(text.size()));
    out += text;
}

void putAttributes(std::string& out, const sftp::Attributes& attributes)
{
    put32(out, (attributes.size ? 0x01u : 0u) | (attributes.permissions ? 0x04u : 0u)
                   | (attributes.modified ? 0x08u : 0u));
    if (attributes.size) {
        put32(out, std::uint32_t(*attributes.size >> 32));
        put32(out, std::uint32_t(*attributes.size));
    }
    if (attributes.permissions)
        put32(out, *attributes.permissions);
    if (attributes.modified) {
        put32(out, 0);
        put32(out, *attributes.modified);
    }
}

// The answer as a server would write it, with what the parser keeps of it.
std::string written(const sftp::Response& response)
{
    std::string out(1, char(response.type));
    put32(out, response.id);
    switch (response.type) {
    case sftp::MessageType::Status:
        put32(out, response.statusCode);
        putString(out, response.text);
        putString(out, "");
        break;
    case sftp::MessageType::Handle:
    case sftp::MessageType::Data:
        putString(out, response.text);
        break;
    case sftp::MessageType::Name:
        put32(out, std::uint32_t(response.names.size()));
        for (const sftp::NameEntry& entry : response.names) {
            putString(out, entry.name);
            putString(out, entry.longName);
            putAttributes(out, entry.attributes);
        }
        break;
    default:
        putAttributes(out, response.attributes);
        break;
    }
    return out;
}

bool sameAttributes(const sftp::Attributes& a, const sftp::Attributes& b)
{
    return a.size == b.size && a.permissions == b.permissions && a.modified == b.modified;
}

bool same(const sftp::Response& a, const sftp::Response& b)
{
    if (a.type != b.type || a.id != b.id || a.statusCode != b.statusCode || a.text != b.text
        || !sameAttributes(a.attributes, b.attributes) || a.names.size() != b.names.size())
        return false;
    for (std::size_t i = 0; i < a.names.size(); ++i) {
        if (a.names[i].name != b.names[i].name || a.names[i].longName != b.names[i].longName
            || !sameAttributes(a.names[i].attributes, b.names[i].attributes))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const auto length = sftp::messageLength(stream);
        if (!length || *length > stream.size() - 4)
            break;
        const std::string_view body = stream.substr(4, *length);
        stream.remove_prefix(4 + *length);

        (void)sftp::parseVersion(body);
        const auto response = sftp::parseResponse(body);
        if (!response)
            continue;
        // A name takes at least its two lengths and its attribute flags.
        require(response->names.size() * 12 <= body.size(), "no more names than the bytes can hold");
        require(response->text.size() <= body.size(), "no more text than the bytes can hold");
        const auto again = sftp::parseResponse(written(*response));
        require(again && same(*response, *again), "the answer written out again reads the same");
    }
    return 0;
}
