#include "remote/display_formats.h"

#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "remote/file_type_icons.h"

#include <cstdio>
#include <initializer_list>

namespace {

// Checked in this order; the first group holding the extension wins.
struct IconGroup {
    std::initializer_list<const char*> extensions;
    short index;
};
const IconGroup iconGroups[] = {
    {{"avi", "mpg", "mpeg", "mov"}, FileTypeIcon::Video},
    {{"gif"}, FileTypeIcon::Gif},
    {{"jpg", "jpeg", "jpe", "bmp"}, FileTypeIcon::Picture},
    {{"htm", "html", "xml", "asp"}, FileTypeIcon::WebPage},
    {{"js", "css", "cgi"}, FileTypeIcon::Script},
    {{"mp3", "ram", "au", "wav"}, FileTypeIcon::Audio},
    {{"zip", "arj"}, FileTypeIcon::Archive},
    {{"exe", "com", "bat"}, FileTypeIcon::Program},
    {{"txt", "log", "doc", "rtf", "ftp", "ini", "dat"}, FileTypeIcon::Text},
};
constexpr qsizetype longestExtension = 4;

short iconOfLowerCaseExtension(QStringView extension)
{
    if (extension.size() > longestExtension)
        return FileTypeIcon::OtherFile;
    for (const IconGroup& group : iconGroups)
        for (const char* known : group.extensions)
            if (extension == QLatin1StringView(known))
                return group.index;
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
        StepRunner(nullptr, form1Procedure("ImgNumber")).fail(label, QStringLiteral("Unexpected failure"));
    }
    return FileTypeIcon::OtherFile;
}

QString DateText(const SYSTEMTIME& time)
{
    // "5.3.2021 14:07": one formatted write, as this runs once per listed file.
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%d.%d.%d %d:%02d", int(time.day), int(time.month),
                                     int(time.year), int(time.hour), int(time.minute));
    return QString::fromLatin1(text, length);
}
