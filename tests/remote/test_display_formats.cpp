// Icon choice by extension and the "Date Modified" text.

#include "remote/display_formats.h"
#include "remote/file_type_icons.h"
#include "support/recording_dialogs.h"

#include <QTest>

class DisplayFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void iconFollowsLowerCasedLastExtension_data();
    void iconFollowsLowerCasedLastExtension();
    void dateTextHasNoLeadingZerosButTheMinutes_data();
    void dateTextHasNoLeadingZerosButTheMinutes();
};

void DisplayFormatsTest::iconFollowsLowerCasedLastExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("icon");

    QTest::newRow("upper-case photo") << "Photo.JPG" << FileTypeIcon::Picture;
    QTest::newRow("only the last extension counts") << "archive.tar.gz" << FileTypeIcon::OtherFile;
    QTest::newRow("no point, unknown word") << "readme" << FileTypeIcon::OtherFile;
    QTest::newRow("no point, the whole name is the extension") << "txt" << FileTypeIcon::Text;
    QTest::newRow("mpeg video") << "movie.mpeg" << FileTypeIcon::Video;
    QTest::newRow("mov video") << "clip.mov" << FileTypeIcon::Video;
    QTest::newRow("wav audio") << "song.wav" << FileTypeIcon::Audio;
    QTest::newRow("trailing point gives an empty extension") << "notes." << FileTypeIcon::OtherFile;
    QTest::newRow("empty name") << "" << FileTypeIcon::OtherFile;
    QTest::newRow("hidden-style name") << ".gif" << FileTypeIcon::Gif;
    QTest::newRow("web page") << "index.HTML" << FileTypeIcon::WebPage;
    QTest::newRow("script") << "app.Js" << FileTypeIcon::Script;
    QTest::newRow("archive") << "backup.zip" << FileTypeIcon::Archive;
    QTest::newRow("program") << "setup.exe" << FileTypeIcon::Program;
    QTest::newRow("data file") << "table.dat" << FileTypeIcon::Text;
    QTest::newRow("extension is compared whole, not as a prefix") << "photo.jpgx" << FileTypeIcon::OtherFile;
    QTest::newRow("several points, the last one counts") << "v1.2.bmp" << FileTypeIcon::Picture;
    QTest::newRow("non-ASCII name") << QString::fromUtf8("Fotka žlutá.JPEG") << FileTypeIcon::Picture;
}

void DisplayFormatsTest::iconFollowsLowerCasedLastExtension()
{
    QFETCH(QString, name);
    QFETCH(int, icon);
    RecordingDialogs dialogs;
    QCOMPARE(int(ImgNumber(name)), icon);
    QVERIFY(dialogs.boxes.isEmpty());
}

void DisplayFormatsTest::dateTextHasNoLeadingZerosButTheMinutes_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("text");

    QTest::newRow("afternoon") << 2021 << 3 << 5 << 14 << 7 << 0 << "5.3.2021 14:07";
    QTest::newRow("morning") << 2020 << 11 << 12 << 9 << 5 << 0 << "12.11.2020 9:05";
    QTest::newRow("midnight on new year") << 2021 << 1 << 1 << 0 << 0 << 0 << "1.1.2021 0:00";
    QTest::newRow("two-digit minutes get no zero") << 1999 << 12 << 31 << 23 << 10 << 0 << "31.12.1999 23:10";
    QTest::newRow("seconds are dropped, not rounded") << 2022 << 6 << 30 << 8 << 59 << 59 << "30.6.2022 8:59";
}

void DisplayFormatsTest::dateTextHasNoLeadingZerosButTheMinutes()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(QString, text);
    SYSTEMTIME time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    QCOMPARE(DateText(time), text);
}

QTEST_MAIN(DisplayFormatsTest)
#include "test_display_formats.moc"
