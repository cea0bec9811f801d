// The pieces of the start-up look: the application title rule, the skin
// search, the classic colours, cursor files and the icon pictures.

#include "app/appearance.h"
#include "main_window/error_report.h"
#include "remote/file_type_icons.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

const QString shippedPointer =
    QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../src/resources/HAND-M.CUR");

// A DIB as a cursor file carries it: header, colour table, XOR bitmap, AND
// mask, rows bottom-up; the AND bit is set where `image` is transparent.
QByteArray dib(const QImage& image, int bitCount, bool withMask = true, bool withAlpha = true)
{
    const int width = image.width(), height = image.height();
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream << quint32(40) << qint32(width) << qint32(height * 2) << quint16(1) << quint16(bitCount)
           << quint32(0) << quint32(0) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    if (bitCount == 1)
        stream << quint32(0x00000000) << quint32(0x00FFFFFF);
    const int stride = ((width * bitCount + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (bitCount == 1) {
                if (qGray(pixel) > 128)
                    row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
            } else {
                const int bytes = bitCount / 8;
                row[x * bytes] = char(qBlue(pixel));
                row[x * bytes + 1] = char(qGreen(pixel));
                row[x * bytes + 2] = char(qRed(pixel));
                if (bytes == 4)
                    row[x * bytes + 3] = char(withAlpha ? qAlpha(pixel) : 0);
            }
        }
        out += row;
    }
    if (withMask) {
        const int maskStride = ((width + 31) / 32) * 4;
        for (int y = height - 1; y >= 0; --y) {
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < width; ++x)
                if (qAlpha(image.pixel(x, y)) == 0)
                    row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
            out += row;
        }
    }
    return out;
}

struct CursorImage {
    QByteArray payload;
    int width;
    QPoint hotSpot;
};

QByteArray cursorFile(const QList<CursorImage>& images)
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream << quint16(0) << quint16(2) << quint16(images.size());
    quint32 offset = 6 + 16 * quint32(images.size());
    for (const CursorImage& image : images) {
        stream << quint8(image.width) << quint8(image.width) << quint8(0) << quint8(0)
               << quint16(image.hotSpot.x()) << quint16(image.hotSpot.y())
               << quint32(image.payload.size()) << offset;
        offset += quint32(image.payload.size());
    }
    for (const CursorImage& image : images)
        out += image.payload;
    return out;
}

// A 4x3 test picture: opaque red, green, blue and white in the top row, a
// half-transparent pixel, and a fully transparent bottom row.
QImage sample()
{
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 255, 0, 255));
    image.setPixel(2, 0, qRgba(0, 0, 255, 255));
    image.setPixel(3, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 1, qRgba(255, 0, 255, 128));
    for (int x = 0; x < 4; ++x)
        image.setPixel(x, 2, qRgba(0, 0, 0, 0));
    return image;
}

QImage pictureOf(const QCursor& cursor) { return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32); }

QImage pixels(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(size, size, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }

private slots:
    void applicationTitle_data()
    {
        QTest::addColumn<QString>("productName");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word stays whole") << "Corvell" << "Corvell";
        QTest::newRow("four short words lose the last")
            << "Corvell File Transfer Client" << "Corvell File Transfer";
        // 54 characters, last two words of 7: 46 after one cut, 38 after two.
        const QString first38 = QStringLiteral("Brannock Corvell Desktop Transfer Tool");
        QTest::newRow("long name loses words until 40 or less")
            << first38 + " Edition Preview" << first38;
        QTest::newRow("exactly 40 after one cut")
            << QString(40, QLatin1Char('a')) + " b" << QString(40, QLatin1Char('a'));
        QTest::newRow("overlong first word is kept")
            << QString(45, QLatin1Char('a')) + " b c" << QString(45, QLatin1Char('a'));
        QTest::newRow("trailing space cuts nothing more") << "Corvell " << "Corvell";
        // 25 characters outside the basic plane are 50 UTF-16 units: counting
        // units would cut "x" as well.
        const QString faces = QString::fromUcs4(std::u32string(25, U'\U0001F600').c_str());
        QTest::newRow("characters are counted, not units") << faces + " x y" << faces + " x";
    }

    void applicationTitle()
    {
        QFETCH(QString, productName);
        QFETCH(QString, title);
        QCOMPARE(deriveApplicationTitle(productName), title);
    }

    void optionalFilesComeFromTheProgramFolderFirstThenTheDataFolder_data()
    {
        QTest::addColumn<QStringList>("holding");  // folders under the prefix with both files
        QTest::addColumn<QString>("takenFrom");
        QTest::newRow("neither") << QStringList{} << QString();
        QTest::newRow("program folder") << QStringList{"bin"} << QStringLiteral("bin");
        QTest::newRow("data folder") << QStringList{"share/corvell"} << QStringLiteral("share/corvell");
        QTest::newRow("both") << QStringList{"share/corvell", "bin"} << QStringLiteral("bin");
    }

    void optionalFilesComeFromTheProgramFolderFirstThenTheDataFolder()
    {
        QFETCH(QStringList, holding);
        QFETCH(QString, takenFrom);
        QTemporaryDir prefix;
        QDir root(prefix.path());
        QVERIFY(root.mkpath(QStringLiteral("bin")));
        for (const QString& folder : holding) {
            QVERIFY(root.mkpath(folder + QStringLiteral("/x")));
            QVERIFY(QFile::copy(shippedPointer, root.filePath(folder + QStringLiteral("/HAND-M.CUR"))));
            QVERIFY(QFile::copy(shippedPointer, root.filePath(folder + QStringLiteral("/x/o.cjs"))));
        }
        setProgramFolderForTesting(root.filePath(QStringLiteral("bin")));
        const QString pointer = pointerFilePath();
        const std::optional<QString> skin = findSkinFile(programDataFolders());
        setProgramFolderForTesting(QString());

        // Without the file anywhere, the program folder is where it is missed.
        QCOMPARE(pointer, root.filePath((takenFrom.isEmpty() ? QStringLiteral("bin") : takenFrom) + "/HAND-M.CUR"));
        QCOMPARE(skin.value_or(QString()), takenFrom.isEmpty() ? QString() : root.filePath(takenFrom + "/x/o.cjs"));
    }

    void skinIsFoundOnlyAsARegularFile()
    {
        QTemporaryDir program;
        QVERIFY(!findSkinFile(program.path()));
        QVERIFY(QDir(program.path()).mkpath(QStringLiteral("x/o.cjs")));
        QVERIFY(!findSkinFile(program.path()));  // a folder is no skin

        QTemporaryDir linked;
        QVERIFY(QDir(linked.path()).mkpath(QStringLiteral("x")));
        QVERIFY(QFile::link(linked.filePath(QStringLiteral("gone.qss")), linked.filePath(QStringLiteral("x/o.cjs"))));
        QVERIFY(!findSkinFile(linked.path()));  // a link to nothing is no skin
        QFile target(linked.filePath(QStringLiteral("gone.qss")));
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.close();
        QCOMPARE(findSkinFile(linked.path()).value_or(QString()), linked.filePath(QStringLiteral("x/o.cjs")));

        QTemporaryDir piped;
        QVERIFY(QDir(piped.path()).mkpath(QStringLiteral("x")));
        QCOMPARE(::mkfifo(QFile::encodeName(piped.filePath(QStringLiteral("x/o.cjs"))).constData(), 0600), 0);
        QVERIFY(!findSkinFile(piped.path()));  // never opened, so never blocks
    }

    void classicColoursReachOnlyFramesLabelsOptionAndCheckBoxes()
    {
        QWidget window;
        auto* frame = new QGroupBox(&window);
        auto* label = new QLabel(frame);
        auto* option = new QRadioButton(frame);
        auto* check = new QCheckBox(frame);
        auto* text = new QLineEdit(frame);
        auto* button = new QPushButton(frame);
        auto* list = new QListWidget(&window);
        auto* tree = new QTreeWidget(&window);
        auto* progress = new QProgressBar(&window);
        auto* container = new QWidget(&window);
        auto* nestedLabel = new QLabel(container);
        auto* combo = new QComboBox(&window);
        combo->setEditable(true);
        auto* dialog = new QDialog(&window);
        auto* dialogLabel = new QLabel(dialog);

        applyClassicColours(&window);

        const QColor face = buttonFaceColour();
        for (QWidget* coloured : std::initializer_list<QWidget*>{&window, frame, label, option, check, nestedLabel}) {
            QCOMPARE(coloured->palette().color(QPalette::Window), face);
            QVERIFY(coloured->autoFillBackground());
        }
        for (QWidget* untouched : std::initializer_list<QWidget*>{text, button, list, tree, progress, combo,
                                                                  combo->lineEdit(), dialogLabel})
            QVERIFY2(!untouched->autoFillBackground(), untouched->metaObject()->className());
        QVERIFY(!dialog->testAttribute(Qt::WA_SetPalette));
    }

    void shippedHandPointerHasItsHotSpotAtTheFingertip()
    {
        const QCursor pointer = loadCursorFile(shippedPointer);
        QCOMPARE(pointer.hotSpot(), QPoint(12, 2));
        const QImage picture = pictureOf(pointer);
        QCOMPARE(picture.size(), QSize(32, 32));
        QCOMPARE(picture.pixel(12, 2), qRgba(0, 0, 0, 255));          // outline at the tip
        QCOMPARE(picture.pixel(13, 3), qRgba(255, 255, 255, 255));    // inside the finger
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);                     // around the hand
        QCOMPARE(qAlpha(picture.pixel(31, 31)), 0);
    }

    void cursorImagesOfEveryUsualKindDecode()
    {
        const QImage expected = sample();
        // 32 bits with alpha: kept as it is, half transparency included.
        QImage picture = pictureOf(loadCursorFile(write(QStringLiteral("alpha.cur"),
                                                       cursorFile({{dib(expected, 32), 4, {1, 1}}}))));
        QCOMPARE(picture, expected);
        // 32 bits without alpha and 24 bits: the AND mask gives the clear pixels.
        for (int bits : {24, 32}) {
            const QCursor cursor = loadCursorFile(write(QStringLiteral("masked.cur"),
                                                        cursorFile({{dib(expected, bits, true, false), 4, {2, 0}}})));
            QCOMPARE(cursor.hotSpot(), QPoint(2, 0));
            picture = pictureOf(cursor);
            QCOMPARE(picture.pixel(0, 0), qRgba(255, 0, 0, 255));
            QCOMPARE(picture.pixel(2, 0), qRgba(0, 0, 255, 255));
            QCOMPARE(picture.pixel(1, 1), qRgba(255, 0, 255, 255));
            QCOMPARE(qAlpha(picture.pixel(3, 2)), 0);
        }
        // PNG payloads, as newer cursor files carry them.
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(expected.save(&buffer, "PNG"));
        picture = pictureOf(loadCursorFile(write(QStringLiteral("png.cur"), cursorFile({{png, 4, {0, 0}}}))));
        QCOMPARE(picture, expected);
    }

    void largestImageOfSeveralIsTakenWithItsOwnHotSpot()
    {
        QImage small(16, 16, QImage::Format_ARGB32);
        small.fill(qRgba(0, 0, 0, 255));
        QImage large(32, 32, QImage::Format_ARGB32);
        large.fill(qRgba(255, 255, 255, 255));
        const QCursor cursor = loadCursorFile(write(QStringLiteral("two.cur"), cursorFile({
            {dib(small, 1), 16, {3, 3}}, {dib(large, 1), 32, {20, 9}}})));
        QCOMPARE(cursor.hotSpot(), QPoint(20, 9));
        QCOMPARE(pictureOf(cursor).size(), QSize(32, 32));
        QCOMPARE(pictureOf(cursor).pixel(5, 5), qRgba(255, 255, 255, 255));
    }

    void hotSpotOutsideThePictureIsKeptInside()
    {
        const QCursor cursor = loadCursorFile(write(QStringLiteral("far.cur"),
                                                    cursorFile({{dib(sample(), 32), 4, {900, 7}}})));
        QCOMPARE(cursor.hotSpot(), QPoint(3, 2));
    }

    void brokenCursorFilesFailWithADescription_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = cursorFile({{dib(sample(), 1), 4, {0, 0}}});
        const auto patched = [&good](int at, QByteArray with) { return QByteArray(good).replace(at, with.size(), with); };
        const int header = 6 + 16;  // where the DIB starts
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("hello, world");
        QTest::newRow("icon, not cursor") << patched(2, QByteArray("\1\0", 2));
        QTest::newRow("no image") << patched(4, QByteArray("\0\0", 2));
        QTest::newRow("directory cut short") << good.left(12);
        QTest::newRow("image past the end") << patched(18, QByteArray("\0\1\0\0", 4));
        QTest::newRow("image cut short") << good.left(good.size() - 1);
        QTest::newRow("short header") << patched(header, QByteArray("\x0c\0\0\0", 4));
        QTest::newRow("zero width") << patched(header + 4, QByteArray("\0\0\0\0", 4));
        QTest::newRow("odd height") << patched(header + 8, QByteArray("\5\0\0\0", 4));
        QTest::newRow("huge") << patched(header + 4, QByteArray("\0\x10\0\0", 4));
        QTest::newRow("16-bit colour") << patched(header + 14, QByteArray("\x10\0", 2));
        QTest::newRow("compressed") << patched(header + 16, QByteArray("\1\0\0\0", 4));
        QTest::newRow("colour table too long") << patched(header + 32, QByteArray("\3\0\0\0", 4));
        QByteArray noMask = cursorFile({{dib(sample(), 1, false), 4, {0, 0}}});
        QTest::newRow("mask missing") << noMask;
        QTest::newRow("broken PNG") << cursorFile({{QByteArray("\x89PNG\r\n\x1a\n garbage"), 4, {0, 0}}});
    }

    void brokenCursorFilesFailWithADescription()
    {
        QFETCH(QByteArray, bytes);
        const QString path = write(QStringLiteral("broken.cur"), bytes);
        try {
            (void)loadCursorFile(path);
            QFAIL("a broken cursor file loaded");
        } catch (const StepFailure& failure) {
            QVERIFY(QString::fromStdString(failure.what()).contains(path));
        }
    }

    void missingOrFolderCursorFailsToLoad()
    {
        QVERIFY_THROWS_EXCEPTION(StepFailure, loadCursorFile(folder.filePath(QStringLiteral("none.cur"))));
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("folder.cur")));
        QVERIFY_THROWS_EXCEPTION(StepFailure, loadCursorFile(folder.filePath(QStringLiteral("folder.cur"))));
    }

    void everyFileTypeHasItsOwnPictures()
    {
        QList<QImage> seen;
        for (int index = FileTypeIcon::Picture; index <= FileTypeIcon::OpenFolder; ++index) {
            const QIcon icon = fileTypeIcon(index);
            const QList<QSize> sizes = icon.availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)), qPrintable(QString::number(index)));
            QCOMPARE(sizes.contains(QSize(32, 32)), index <= FileTypeIcon::OtherFile);
            for (const QSize& size : sizes) {
                const QImage image = pixels(icon, size.width());
                int opaque = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        opaque += qAlpha(image.pixel(x, y)) >= 128;
                QVERIFY2(opaque > size.width() * 2, qPrintable(QString::number(index)));  // not blank
            }
            const QImage small = pixels(icon, 16);
            QVERIFY2(!seen.contains(small), qPrintable(QString::number(index)));
            seen << small;
        }
        QVERIFY(fileTypeIcon(0).isNull());
        QVERIFY(fileTypeIcon(14).isNull());
    }

    void selectedTreeNodeShowsTheOpenFolder()
    {
        const QIcon node = treeNodeIcon(FileTypeIcon::Folder, FileTypeIcon::OpenFolder);
        QCOMPARE(pixels(node, 16), pixels(fileTypeIcon(FileTypeIcon::Folder), 16));
        QCOMPARE(pixels(node, 16, QIcon::Selected), pixels(fileTypeIcon(FileTypeIcon::OpenFolder), 16));
        const QIcon root = treeNodeIcon(FileTypeIcon::RootFolder, FileTypeIcon::RootFolder);
        QCOMPARE(pixels(root, 16, QIcon::Selected), pixels(fileTypeIcon(FileTypeIcon::RootFolder), 16));
    }

    void applicationIconCarriesFourSizes()
    {
        const QIcon icon = applicationIcon();
        QList<QSize> sizes = icon.availableSizes();
        std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
        QCOMPARE(sizes, (QList<QSize>{{32, 32}, {48, 48}, {128, 128}, {256, 256}}));
        // The 32-pixel image is full colour with on/off transparency.
        const QImage small = pixels(icon, 32);
        bool hasClear = false, hasSolid = false;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int alpha = qAlpha(small.pixel(x, y));
                QVERIFY(alpha == 0 || alpha == 255);
                hasClear = hasClear || alpha == 0;
                hasSolid = hasSolid || alpha == 255;
            }
        QVERIFY(hasClear && hasSolid);
    }
};

QTEST_MAIN(AppearanceTest)
#include "test_appearance.moc"
