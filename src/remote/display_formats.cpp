#include "remote/display_formats.h"

#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "remote/file_type_icons.h"

#include <QStringList>

namespace {

struct IconGroup {
    QStringList extensions;
    short index;
};

// Checked in this order; the first group holding the extension wins.
const IconGroup& iconGroup(int position)
{
    static const IconGroup groups[] = {
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
    return groups[position];
}
constexpr int iconGroupCount = 9;

} // namespace

short ImgNumber(const QString& name)
{
    short index = FileTypeIcon::OtherFile;
    StepRunner steps(nullptr, form1Procedure("ImgNumber"));
    QString extension;
    // A name without a point is its own extension: a file called "txt" is text.
    steps.step(100, [&] { extension = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1); });
    steps.step(102, [&] { extension = extension.toLower(); });
    steps.step(104, [&] {
        for (int position = 0; position < iconGroupCount; ++position) {
            if (iconGroup(position).extensions.contains(extension)) {
                index = iconGroup(position).index;
                return;
            }
        }
    });
    return index;
}

QString DateText(const SYSTEMTIME& time)
{
    const QString date = QString::number(time.day) + QLatin1Char('.') + QString::number(time.month)
                         + QLatin1Char('.') + QString::number(time.year);
    QString minutes = QString::number(time.minute);
    if (minutes.size() == 1)
        minutes.prepend(QLatin1Char('0'));
    return date + QLatin1Char(' ') + QString::number(time.hour) + QLatin1Char(':') + minutes;
}
