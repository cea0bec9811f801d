#include "remote/file_type_icons.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

// The pictures live in a resource file compiled into a static library; the
// linker keeps its registration only when something refers to it.
static void registerPictures()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(corvell);
        return true;
    }();
    (void)done;
}

namespace {

// Picture names by icon index; the first ten also come in 32 pixels.
constexpr std::array<const char*, 13> pictureNames = {
    "picture", "webpage", "text",  "gif",  "script", "audio",      "archive",
    "video",   "program", "file",  "root", "folder", "folder-open"};
constexpr int largeIconCount = 10;

QImage renderSvg(const QString& resource, int size)
{
    registerPictures();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QImage picture(int index, int size)
{
    const QString name = QLatin1String(pictureNames[size_t(index - 1)]);
    return renderSvg(QStringLiteral(":/icons/%1-%2.svg").arg(name).arg(size), size);
}

// Icons are asked for once per listed file; each is drawn once per process.
// The cache lets go of its pixmaps before the application object goes away.
QHash<quint32, QIcon>& iconCache()
{
    static QHash<quint32, QIcon>* cache = [] {
        qAddPostRoutine([] { iconCache().clear(); });
        return new QHash<quint32, QIcon>;
    }();
    return *cache;
}

bool validIndex(int index) { return index >= 1 && index <= int(pictureNames.size()); }

} // namespace

QIcon fileTypeIcon(int index)
{
    if (!validIndex(index))
        return {};
    QIcon& icon = iconCache()[quint32(index)];
    if (icon.isNull()) {
        icon.addPixmap(QPixmap::fromImage(picture(index, 16)));
        if (index <= largeIconCount)
            icon.addPixmap(QPixmap::fromImage(picture(index, 32)));
    }
    return icon;
}

QIcon treeNodeIcon(int image, int selectedImage)
{
    if (!validIndex(image) || !validIndex(selectedImage))
        return {};
    QIcon& icon = iconCache()[quint32(image << 8 | selectedImage)];
    if (icon.isNull()) {
        icon.addPixmap(QPixmap::fromImage(picture(image, 16)), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(picture(selectedImage, 16)), QIcon::Selected);
    }
    return icon;
}

QIcon applicationIcon()
{
    QIcon& icon = iconCache()[0xFFFF0000u];
    if (icon.isNull()) {
        const QString resource = QStringLiteral(":/icons/corvell.svg");
        for (int size : {256, 128, 48})
            icon.addPixmap(QPixmap::fromImage(renderSvg(resource, size)));
        // The 32-pixel image is the classic 24-bit kind: full colour with an
        // on/off transparency mask instead of an alpha channel.
        QImage small = renderSvg(resource, 32).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < small.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(small.scanLine(y));
            for (int x = 0; x < small.width(); ++x)
                row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xFF000000u) : 0u;
        }
        icon.addPixmap(QPixmap::fromImage(small));
    }
    return icon;
}
