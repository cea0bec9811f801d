#include "main_window/remote_names.h"

#include <QList>
#include <QStringDecoder>

#include <string>

namespace {

constexpr char32_t escapeBase = 0xF700;
constexpr char32_t firstEscape = escapeBase + 0x80;
constexpr char32_t lastEscape = escapeBase + 0xFF;

bool isEscape(char32_t codePoint) { return codePoint >= firstEscape && codePoint <= lastEscape; }

// The length of the well-formed UTF-8 sequence at `at` and its code point, or 0.
std::size_t decodeSequence(const std::string& bytes, std::size_t at, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (std::size_t index = 1; index < length; ++index) {
        const auto next = static_cast<unsigned char>(bytes[at + index]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate)
        return 0;
    // A name that really holds one of the escape characters is escaped byte by
    // byte, so the way back stays unambiguous.
    return isEscape(codePoint) ? 0 : length;
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

bool isAscii(const std::string& bytes)
{
    for (const char byte : bytes)
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    return true;
}

} // namespace

QString fromRemote(const std::string& bytes)
{
    // Most names are ASCII, and a folder may list a hundred thousand of them.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        char32_t codePoint = byte;
        std::size_t length = byte < 0x80 ? 1 : decodeSequence(bytes, at, codePoint);
        if (length == 0) {
            codePoint = escapeBase + byte;
            length = 1;
        }
        // Appended unit by unit: QString::fromUcs4() would take a U+FEFF
        // (a byte order mark some tools put in front of names) for the
        // order of its input and drop it.
        if (QChar::requiresSurrogates(codePoint)) {
            text.append(QChar(QChar::highSurrogate(codePoint)));
            text.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            text.append(QChar(char16_t(codePoint)));
        }
        at += length;
    }
    return text;
}

std::string toRemote(const QString& text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (const char32_t codePoint : text.toUcs4()) {
        if (isEscape(codePoint))
            bytes += char(codePoint - escapeBase);
        else
            appendUtf8(bytes, codePoint);
    }
    return bytes;
}

namespace {

// The bytes 0x80 to 0x9F of Windows-1252; the five it leaves undefined stay
// their C1 code points, as Windows itself maps them.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString displayName(const std::string& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    // A leading U+FEFF is part of the name, not a byte order mark.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(qsizetype(bytes.size()));
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(value >= 0x80 && value < 0xA0 ? QChar(windows1252High[value - 0x80]) : QChar(value));
    }
    return text;
}

QString displayPath(const std::string& bytes)
{
    QString text;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t slash = bytes.find('/', begin);
        text += displayName(bytes.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin));
        if (slash == std::string::npos)
            return text;
        text += QLatin1Char('/');
        begin = slash + 1;
    }
}
