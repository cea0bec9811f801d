#include "sftp/sftp_messages.h"

namespace sftp {
namespace {

constexpr std::uint32_t attrSize = 0x01;
constexpr std::uint32_t attrOwner = 0x02;
constexpr std::uint32_t attrPermissions = 0x04;
constexpr std::uint32_t attrTimes = 0x08;
constexpr std::uint32_t attrExtended = 0x80000000;

void putUint32(std::string& out, std::uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// Reads the fields of one message front to back; any read past the end
// spoils the whole message.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return rest_.empty(); }

    std::uint8_t byte()
    {
        if (!take(1))
            return 0;
        return std::uint8_t(last_[0]);
    }
    std::uint32_t uint32()
    {
        if (!take(4))
            return 0;
        const auto* b = reinterpret_cast<const unsigned char*>(last_.data());
        return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    }
    std::uint64_t uint64()
    {
        const std::uint64_t high = uint32();
        return high << 32 | uint32();
    }
    std::string_view string()
    {
        const std::uint32_t length = uint32();
        if (!ok_ || !take(length))
            return {};
        return last_;
    }
    Attributes attributes()
    {
        Attributes result;
        const std::uint32_t flags = uint32();
        if (flags & attrSize)
            result.size = uint64();
        if (flags & attrOwner) {
            (void)uint32();
            (void)uint32();
        }
        if (flags & attrPermissions)
            result.permissions = uint32();
        if (flags & attrTimes) {
            (void)uint32();  // access time
            result.modified = uint32();
        }
        if (flags & attrExtended) {
            const std::uint32_t count = uint32();
            for (std::uint32_t i = 0; ok_ && i < count; ++i) {
                (void)string();
                (void)string();
            }
        }
        return result;
    }

private:
    bool take(std::size_t count)
    {
        if (!ok_ || rest_.size() < count) {
            ok_ = false;
            return false;
        }
        last_ = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return true;
    }

    std::string_view rest_;
    std::string_view last_;
    bool ok_ = true;
};

} // namespace

RequestWriter::RequestWriter(MessageType type, std::uint32_t id)
{
    bytes_.assign(4, '\0');
    bytes_.push_back(char(type));
    putUint32(bytes_, id);
}

RequestWriter RequestWriter::init(std::uint32_t version)
{
    RequestWriter writer;
    writer.bytes_.assign(4, '\0');
    writer.bytes_.push_back(char(MessageType::Init));
    putUint32(writer.bytes_, version);
    return writer;
}

RequestWriter& RequestWriter::add(std::uint32_t value)
{
    putUint32(bytes_, value);
    return *this;
}

RequestWriter& RequestWriter::add64(std::uint64_t value)
{
    putUint32(bytes_, std::uint32_t(value >> 32));
    putUint32(bytes_, std::uint32_t(value));
    return *this;
}

RequestWriter& RequestWriter::addString(std::string_view bytes)
{
    putUint32(bytes_, std::uint32_t(bytes.size()));
    bytes_.append(bytes);
    return *this;
}

std::uint32_t RequestWriter::id() const
{
    Reader reader(std::string_view(bytes_).substr(5, 4));
    return reader.uint32();
}

RequestWriter& RequestWriter::addNoAttributes() { return add(0); }

RequestWriter& RequestWriter::addSizeAttribute(std::uint64_t size) { return add(attrSize).add64(size); }

void RequestWriter::finishInto(std::string& out)
{
    const std::uint32_t length = std::uint32_t(bytes_.size() - 4);
    bytes_[0] = char(length >> 24);
    bytes_[1] = char(length >> 16);
    bytes_[2] = char(length >> 8);
    bytes_[3] = char(length);
    // An upload's request is most of a packet: taken over, not copied, when
    // nothing waits before it.
    if (out.empty())
        out.swap(bytes_);
    else
        out += bytes_;
}

std::optional<std::uint32_t> messageLength(std::string_view buffer)
{
    if (buffer.size() < 4)
        return std::nullopt;
    Reader reader(buffer.substr(0, 4));
    return reader.uint32();
}

std::optional<std::uint32_t> parseVersion(std::string_view body)
{
    Reader reader(body);
    if (reader.byte() != std::uint8_t(MessageType::Version))
        return std::nullopt;
    const std::uint32_t version = reader.uint32();
    return reader.ok() ? std::optional(version) : std::nullopt;
}

std::optional<Response> parseResponse(std::string_view body)
{
    Reader reader(body);
    Response response;
    response.type = MessageType(reader.byte());
    response.id = reader.uint32();
    switch (response.type) {
    case MessageType::Status:
        response.statusCode = reader.uint32();
        // Version 3 servers add a message and a language tag; some old ones do not.
        if (!reader.atEnd())
            response.text = std::string(reader.string());
        break;
    case MessageType::Handle:
    case MessageType::Data:
        response.text = std::string(reader.string());
        break;
    case MessageType::Name: {
        const std::uint32_t count = reader.uint32();
        // Each entry takes at least 12 bytes, so a count beyond that is a lie.
        if (count > body.size() / 12 + 1)
            return std::nullopt;
        response.names.reserve(count);
        for (std::uint32_t i = 0; reader.ok() && i < count; ++i) {
            NameEntry entry;
            entry.name = std::string(reader.string());
            entry.longName = std::string(reader.string());
            entry.attributes = reader.attributes();
            response.names.push_back(std::move(entry));
        }
        break;
    }
    case MessageType::Attrs:
        response.attributes = reader.attributes();
        break;
    default:
        return std::nullopt;
    }
    if (!reader.ok())
        return std::nullopt;
    return response;
}

} // namespace sftp
