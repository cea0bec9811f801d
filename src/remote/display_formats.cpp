#include "remote/display_formats.h"

#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "remote/file_type_icons.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>
#include <initializer_list>

namespace {

// Checked in this order; the first group holding the extension wins.
using namespace Qt::StringLiterals;

struct IconGroup {
    std::initializer_list<QLatin1StringView> extensions;
    short index;
};
const IconGroup iconGroups[] = {
    {{"avi"_L1, "mpg"_L1, "mpeg"_L1, "mov"_L1}, FileTypeIcon::Video},
    {{"gif"_L1}, FileTypeIcon::Gif},
    {{"jpg"_L1, "jpeg"_L1, "jpe"_L1, "bmp"_L1}, FileTypeIcon::Picture},
    {{"htm"_L1, "html"_L1, "xml"_L1, "asp"_L1}, FileTypeIcon::WebPage},
    {{"js"_L1, "css"_L1, "cgi"_L1}, FileTypeIcon::Script},
    {{"mp3"_L1, "ram"_L1, "au"_L1, "wav"_L1}, FileTypeIcon::Audio},
    {{"zip"_L1, "arj"_L1}, FileTypeIcon::Archive},
    {{"exe"_L1, "com"_L1, "bat"_L1}, FileTypeIcon::Program},
    {{"txt"_L1, "log"_L1, "doc"_L1, "rtf"_L1, "ftp"_L1, "ini"_L1, "dat"_L1}, FileTypeIcon::Text},
};
constexpr qsizetype longestExtension = 4;

// Up to four ASCII characters as one number, so a lookup compares numbers.
std::uint64_t packed(QStringView text)
{
    std::uint64_t key = 0;
    for (const QChar character : text)
        key = (key << 8) | (character.unicode() & 0xFF);
    return key | std::uint64_t(text.size()) << 32;  // "a" and "\0a" differ
}

short iconOfLowerCaseExtension(QStringView extension)
{
    if (extension.size() > longestExtension)
        return FileTypeIcon::OtherFile;
    for (const QChar character : extension)
        if (character.unicode() >= 0x80)  // only ASCII extensions are known
            return FileTypeIcon::OtherFile;
    static const auto table = [] {
        std::vector<std::pair<std::uint64_t, short>> keys;
        for (const IconGroup& group : iconGroups)
            for (const QLatin1StringView known : group.extensions)
                keys.emplace_back(packed(QString(known)), group.index);
        return keys;
    }();
    const std::uint64_t key = packed(extension);
    for (const auto& [known, index] : table)
        if (known == key)
            return index;
    return FileTypeIcon::OtherFile;
}

} // namespace

// Runs once per listed file, so the plain path allocates nothing: an
// extension of ASCII letters is lowered in a small buffer. The error report
// is set up only should a step fail.
short ImgNumber(const QString& name)
{
    int label = 100;
    try {
        // A name without a point is its own extension: a file called "txt" is text.
        const QStringView extension = QStringView(name).mid(name.lastIndexOf(QLatin1Char('.')) + 1);
        label = 102;
        if (extension.size() <= longestExtension) {
            char16_t lowered[longestExtension];
            bool ascii = true;
            for (qsizetype at = 0; at < extension.size(); ++at) {
                const char16_t character = extension[at].unicode();
                ascii = ascii && character < 0x80;
                lowered[at] = character >= u'A' && character <= u'Z' ? char16_t(character + 32) : character;
            }
            label = 104;
            if (ascii)
                return iconOfLowerCaseExtension(QStringView(lowered, extension.size()));
        }
        label = 102;
        const QString lower = extension.toString().toLower();
        label = 104;
        return iconOfLowerCaseExtension(lower);
    } catch (const std::exception& failure) {
        StepRunner(nullptr, form1Procedure("ImgNumber")).fail(label, QString::fromStdString(failure.what()));
    } catch (...) {
        StepRunner(nullptr, form1Procedure("ImgNumber"))
            .fail(label, QCoreApplication::translate("ErrorReport", "Unexpected failure"));
    }
    return FileTypeIcon::OtherFile;
}

namespace {

// Plain decimal digits of `value` at `out`; `minimumDigits` pads with zeros.
char* appendNumber(char* out, long long value, int minimumDigits = 1)
{
    if (value < 0) {
        *out++ = '-';
        value = -value;  // a negative field shows as QString::number shows it
        minimumDigits = 1;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count < minimumDigits)
        digits[count++] = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

} // namespace

qint64 listedDateStamp(const SYSTEMTIME& time)
{
    return ((((qint64(time.year) * 13 + time.month) * 32 + time.day) * 24 + time.hour) * 60 + time.minute) * 60
           + time.second;
}

SYSTEMTIME listedDateOfStamp(qint64 stamp)
{
    SYSTEMTIME time;
    time.second = int(stamp % 60);
    stamp /= 60;
    time.minute = int(stamp % 60);
    stamp /= 60;
    time.hour = int(stamp % 24);
    stamp /= 24;
    time.day = int(stamp % 32);
    stamp /= 32;
    time.month = int(stamp % 13);
    time.year = int(stamp / 13);
    return time;
}

QString DateText(const SYSTEMTIME& time)
{
    // "5.3.2021 14:07", written into one buffer: this runs once per listed file.
    char text[64];
    char* end = appendNumber(text, time.day);
    *end++ = '.';
    end = appendNumber(end, time.month);
    *end++ = '.';
    end = appendNumber(end, time.year);
    *end++ = ' ';
    end = appendNumber(end, time.hour);
    *end++ = ':';
    end = appendNumber(end, time.minute, 2);
    return QString::fromLatin1(text, end - text);
}
