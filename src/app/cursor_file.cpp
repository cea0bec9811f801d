#include "app/cursor_file.h"

#include "main_window/error_report.h"

#include <QCoreApplication>
#include <QList>
#include <QRgb>

#include <algorithm>

// A .CUR file is an icon directory of type 2: a 6-byte header, 16-byte entries
// whose "planes" and "bit count" fields hold the hot spot, and per entry either
// a PNG or a headerless-file DIB (BITMAPINFOHEADER, colour table, XOR bitmap,
// AND mask, with the height counting both bitmaps).

namespace {

struct PointerTexts {
    Q_DECLARE_TR_FUNCTIONS(Appearance)
};

class CursorReader {
public:
    CursorReader(const QByteArray& bytes, const QString& path) : bytes_(bytes), path_(path) {}

    CursorPicture read()
    {
        if (bytes_.size() < 6 || word(0) != 0 || word(2) != 2)
            corrupt(PointerTexts::tr("it is not a cursor file"));
        const int count = word(4);
        if (count == 0)
            corrupt(PointerTexts::tr("it holds no image"));
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
            corrupt(PointerTexts::tr("its image cannot be read"));
        hotX = std::min(hotX, image.width() - 1);
        hotY = std::min(hotY, image.height() - 1);
        return {image, QPoint(hotX, hotY)};
    }

private:
    [[noreturn]] void corrupt(const QString& why) const
    {
        throw StepFailure(PointerTexts::tr("The pointer file \"%1\" cannot be loaded: %2").arg(path_, why));
    }

    void need(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length < 0 || offset + length > bytes_.size())
            corrupt(PointerTexts::tr("it is cut short"));
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
                corrupt(PointerTexts::tr("its image is cut short"));
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
            corrupt(PointerTexts::tr("its image has an impossible size"));
        if (compression != 0)
            corrupt(PointerTexts::tr("its image is compressed"));
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
            corrupt(PointerTexts::tr("its image has an unknown colour depth"));
        const int height = doubleHeight / 2;

        QList<QRgb> colourTable;
        qint64 at = headerSize;
        if (bitCount <= 8) {
            const quint32 colours = coloursUsed ? coloursUsed : (1u << bitCount);
            if (colours > (1u << bitCount))
                corrupt(PointerTexts::tr("its colour table is too long"));
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
            corrupt(PointerTexts::tr("its transparency mask is missing"));

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
                        corrupt(PointerTexts::tr("its image uses a colour it does not define"));
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
                corrupt(PointerTexts::tr("its transparency mask is missing"));
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

} // namespace

CursorPicture readCursorFile(const QByteArray& bytes, const QString& path)
{
    return CursorReader(bytes, path).read();
}
