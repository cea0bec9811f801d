#include "app/appearance.h"

#include "main_window/error_report.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QRadioButton>
#include <QStringDecoder>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace {

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

// A skin is a small text file; anything far larger is not one and is not
// read into memory.
constexpr qint64 largestSkin = 1024 * 1024;

// The file names next to the program, as they stand.
const QString skinFileName = QStringLiteral("x/o.cjs");
const QString pointerFileName = QStringLiteral("HAND-M.CUR");

// The installed data folder as seen from the folder of the installed program;
// the build knows both install places and passes the way from one to the other.
#ifndef CORVELL_DATA_FROM_PROGRAM
#define CORVELL_DATA_FROM_PROGRAM "../share/corvell"
#endif

} // namespace

QString programFolder()
{
    const QString& folder = programFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void setProgramFolderForTesting(const QString& folder) { programFolderOverride() = folder; }

QStringList programDataFolders()
{
    const QString folder = programFolder();
    return {folder, QDir::cleanPath(folder + QStringLiteral("/" CORVELL_DATA_FROM_PROGRAM))};
}

QString pointerFilePath()
{
    const QStringList folders = programDataFolders();
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + pointerFileName;
        if (QFileInfo::exists(path))
            return path;
    }
    return folders.first() + QLatin1Char('/') + pointerFileName;
}

// The classic search for "normal files" skips folders, hidden and system files.
// Here that is: only a regular file (a link to one counts) is a skin; a folder,
// pipe, socket or device with that name is not. Unix knows no hidden attribute
// beyond a leading point, which the fixed name never has. Read permission is not
// part of the search: a skin that is there but cannot be read is found and then
// fails to load, like a skin the engine refuses.
std::optional<QString> findSkinFile(const QString& folder)
{
    const QFileInfo skin(folder + QLatin1Char('/') + skinFileName);
    if (!skin.exists() || !skin.isFile() || skin.isHidden())
        return std::nullopt;
    return skin.filePath();
}

std::optional<QString> findSkinFile(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (std::optional<QString> skin = findSkinFile(folder))
            return skin;
    }
    return std::nullopt;
}

QColor buttonFaceColour() { return QApplication::palette().color(QPalette::Button); }

namespace {

void paintBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool takesButtonFace(const QWidget* widget)
{
    return qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QLabel*>(widget)
           || qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QCheckBox*>(widget);
}

// Only the window's own controls count, those inside frames included; the
// inner parts of lists, combo boxes and the like, and separate windows, are
// left alone.
void colourControls(QWidget* container, const QColor& colour)
{
    for (QObject* object : container->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || widget->isWindow())
            continue;
        if (takesButtonFace(widget))
            paintBackground(widget, colour);
        const bool plainContainer = widget->metaObject() == &QWidget::staticMetaObject;
        if (qobject_cast<QGroupBox*>(widget) || plainContainer)
            colourControls(widget, colour);
    }
}

// The skin is a Qt style sheet in UTF-8. Qt takes a broken style sheet in
// silence and drops it, so the obvious breakage is caught here and reported
// instead: text that is not UTF-8 (a binary file), NUL characters, and braces
// that do not pair up outside comments and quoted strings.
void checkStyleSheet(const QByteArray& bytes, const QString& path)
{
    const auto refuse = [&path](const QString& why) {
        throw StepFailure(QStringLiteral("The skin file \"%1\" is not a valid skin: %2").arg(path, why));
    };
    if (bytes.contains('\0'))
        refuse(QStringLiteral("it contains binary data"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        refuse(QStringLiteral("it is not UTF-8 text"));

    int depth = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c == QLatin1Char('/') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), at + 2);
            if (end < 0)
                refuse(QStringLiteral("a comment is not closed"));
            at = end + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(c, at + 1);
            if (end < 0)
                refuse(QStringLiteral("a quoted text is not closed"));
            at = end;
        } else if (c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char('}')) {
            if (--depth < 0)
                refuse(QStringLiteral("a \"}\" has no \"{\""));
        }
    }
    if (depth != 0)
        refuse(QStringLiteral("a \"{\" is not closed"));
}

QString readSkin(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepFailure(QStringLiteral("The skin file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > largestSkin)
        throw StepFailure(QStringLiteral("The skin file \"%1\" is too large to be a skin").arg(path));
    const QByteArray bytes = file.read(largestSkin + 1);
    if (file.error() != QFileDevice::NoError)
        throw StepFailure(QStringLiteral("The skin file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    checkStyleSheet(bytes, path);
    return QString::fromUtf8(bytes);
}

} // namespace

void applyClassicColours(QWidget* window)
{
    const QColor face = buttonFaceColour();
    paintBackground(window, face);
    colourControls(window, face);
}

void applyMainWindowAppearance(QWidget* window, const QStringList& folders)
{
    const std::optional<QString> skin = findSkinFile(folders);
    if (!skin)
        return;
    applyClassicColours(window);
    // A skin that fails to load leaves the colours set above in place.
    window->setStyleSheet(readSkin(*skin));
}

bool filePresent(const QString& path)
{
    try {
        const QFileInfo file(path);
        return file.exists() && file.lastModified().isValid();
    } catch (...) {
        return false;
    }
}

// --- Cursor files ---------------------------------------------------------
//
// A .CUR file is an icon directory of type 2: a 6-byte header, 16-byte entries
// whose "planes" and "bit count" fields hold the hot spot, and per entry either
// a PNG or a headerless-file DIB (BITMAPINFOHEADER, colour table, XOR bitmap,
// AND mask, with the height counting both bitmaps).

namespace {

class CursorReader {
public:
    CursorReader(const QByteArray& bytes, const QString& path) : bytes_(bytes), path_(path) {}

    QCursor read()
    {
        if (bytes_.size() < 6 || word(0) != 0 || word(2) != 2)
            corrupt(QStringLiteral("it is not a cursor file"));
        const int count = word(4);
        if (count == 0)
            corrupt(QStringLiteral("it holds no image"));
        need(6, qint64(count) * 16);

        // The largest image is the one drawn at normal size.
        int best = 0;
        for (int entry = 1; entry < count; ++entry)
            if (entryWidth(entry) > entryWidth(best))
                best = entry;
        const int at = 6 + best * 16;
        int hotX = word(at + 4);
        int hotY = word(at + 6);
        const quint32 size = dword(at + 8);
        const quint32 offset = dword(at + 12);
        need(offset, size);

        const QByteArray payload = bytes_.mid(qsizetype(offset), qsizetype(size));
        QImage image = payload.startsWith("\x89PNG\r\n\x1a\n") ? QImage::fromData(payload, "PNG")
                                                               : decodeDib(payload);
        if (image.isNull() || image.width() > 256 || image.height() > 256)
            corrupt(QStringLiteral("its image cannot be read"));
        hotX = std::min(hotX, image.width() - 1);
        hotY = std::min(hotY, image.height() - 1);
        return QCursor(QPixmap::fromImage(image), hotX, hotY);
    }

private:
    [[noreturn]] void corrupt(const QString& why) const
    {
        throw StepFailure(QStringLiteral("The pointer file \"%1\" cannot be loaded: %2").arg(path_, why));
    }

    void need(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length < 0 || offset + length > bytes_.size())
            corrupt(QStringLiteral("it is cut short"));
    }

    static int word(const QByteArray& data, qint64 at)
    {
        return quint8(data[at]) | quint8(data[at + 1]) << 8;
    }
    static quint32 dword(const QByteArray& data, qint64 at)
    {
        return quint32(word(data, at)) | quint32(word(data, at + 2)) << 16;
    }
    int word(qint64 at) const { return word(bytes_, at); }
    quint32 dword(qint64 at) const { return dword(bytes_, at); }
    int entryWidth(int entry) const
    {
        const int width = quint8(bytes_[6 + entry * 16]);
        return width == 0 ? 256 : width;
    }

    QImage decodeDib(const QByteArray& dib) const
    {
        const auto needIn = [&](qint64 offset, qint64 length) {
            if (offset + length > dib.size())
                corrupt(QStringLiteral("its image is cut short"));
        };
        needIn(0, 40);
        const quint32 headerSize = dword(dib, 0);
        const qint32 width = qint32(dword(dib, 4));
        const qint32 doubleHeight = qint32(dword(dib, 8));
        const int bitCount = word(dib, 14);
        const quint32 compression = dword(dib, 16);
        const quint32 coloursUsed = dword(dib, 32);
        if (headerSize < 40 || width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512
            || doubleHeight % 2 != 0)
            corrupt(QStringLiteral("its image has an impossible size"));
        if (compression != 0)
            corrupt(QStringLiteral("its image is compressed"));
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
            corrupt(QStringLiteral("its image has an unknown colour depth"));
        const int height = doubleHeight / 2;

        QList<QRgb> colourTable;
        qint64 at = headerSize;
        if (bitCount <= 8) {
            const quint32 colours = coloursUsed ? coloursUsed : (1u << bitCount);
            if (colours > (1u << bitCount))
                corrupt(QStringLiteral("its colour table is too long"));
            needIn(at, qint64(colours) * 4);
            for (quint32 i = 0; i < colours; ++i, at += 4)
                colourTable << qRgb(quint8(dib[at + 2]), quint8(dib[at + 1]), quint8(dib[at]));
        }
        const qint64 colourStride = ((qint64(width) * bitCount + 31) / 32) * 4;
        const qint64 maskStride = ((qint64(width) + 31) / 32) * 4;
        const qint64 colourBits = at;
        const qint64 maskBits = colourBits + colourStride * height;
        needIn(colourBits, colourStride * height);
        const bool hasMask = maskBits + maskStride * height <= dib.size();
        if (!hasMask && bitCount != 32)
            corrupt(QStringLiteral("its transparency mask is missing"));

        QImage image(width, height, QImage::Format_ARGB32);
        bool anyAlpha = false;
        for (int y = 0; y < height; ++y) {
            const qint64 row = colourBits + colourStride * (height - 1 - y);  // bottom-up
            for (int x = 0; x < width; ++x) {
                QRgb colour = 0;
                if (bitCount == 32) {
                    const qint64 p = row + x * 4;
                    colour = qRgba(quint8(dib[p + 2]), quint8(dib[p + 1]), quint8(dib[p]), quint8(dib[p + 3]));
                    anyAlpha = anyAlpha || qAlpha(colour) != 0;
                } else if (bitCount == 24) {
                    const qint64 p = row + x * 3;
                    colour = qRgb(quint8(dib[p + 2]), quint8(dib[p + 1]), quint8(dib[p]));
                } else {
                    const int perByte = 8 / bitCount;
                    const quint8 byte = quint8(dib[row + x / perByte]);
                    const int shift = 8 - bitCount * (x % perByte + 1);
                    const int index = (byte >> shift) & ((1 << bitCount) - 1);
                    if (index >= colourTable.size())
                        corrupt(QStringLiteral("its image uses a colour it does not define"));
                    colour = colourTable[index];
                }
                image.setPixel(x, y, colour);
            }
        }
        // Without alpha, the AND mask tells what is transparent. A masked pixel
        // with a colour inverts the screen on Windows; black is the nearest
        // picture of that.
        if (!(bitCount == 32 && anyAlpha)) {
            if (!hasMask)
                corrupt(QStringLiteral("its transparency mask is missing"));
            for (int y = 0; y < height; ++y) {
                const qint64 row = maskBits + maskStride * (height - 1 - y);
                for (int x = 0; x < width; ++x) {
                    const bool masked = (quint8(dib[row + x / 8]) >> (7 - x % 8)) & 1;
                    const QRgb colour = image.pixel(x, y);
                    const bool coloured = (colour & 0xFFFFFF) != 0;
                    if (!masked)
                        image.setPixel(x, y, colour | 0xFF000000);
                    else
                        image.setPixel(x, y, coloured ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0));
                }
            }
        }
        return image;
    }

    const QByteArray& bytes_;
    QString path_;
};

// Cursor files are tiny; a larger one is not read into memory.
constexpr qint64 largestCursorFile = 4 * 1024 * 1024;

} // namespace

QCursor loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepFailure(QStringLiteral("The pointer file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > largestCursorFile)
        throw StepFailure(QStringLiteral("The pointer file \"%1\" cannot be loaded: it is too large").arg(path));
    const QByteArray bytes = file.read(largestCursorFile + 1);
    if (file.error() != QFileDevice::NoError)
        throw StepFailure(QStringLiteral("The pointer file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    return CursorReader(bytes, path).read();
}

// --- Application title ----------------------------------------------------

QString deriveApplicationTitle(const QString& productName)
{
    // Characters are counted, not UTF-16 units or bytes.
    const auto characters = [](const QString& text) { return text.toUcs4().size(); };
    QString title = productName;
    // The last word goes at least once, then again while the rest is too long.
    // A text with no space left to cut at (a one-word name such as "Corvell", or
    // a first word longer than 40 characters) is kept whole: cutting further
    // would leave no title at all.
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title.truncate(space);
    } while (characters(title) > 40);
    return title;
}
