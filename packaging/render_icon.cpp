// Build tool: renders the application icon's SVG into a square PNG of the
// size the desktop's icon theme asks for, so the installed PNGs always match
// the one picture the program itself carries.
//
//   corvell_render_icon <svg file> <pixels> <png file>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <svg file> <pixels> <png file>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString svg = QString::fromLocal8Bit(argv[1]);
    bool isNumber = false;
    const int pixels = QByteArray(argv[2]).toInt(&isNumber);
    const QString png = QString::fromLocal8Bit(argv[3]);
    if (!isNumber || pixels < 1 || pixels > 1024) {
        std::fprintf(stderr, "%s: not a size in pixels: %s\n", argv[0], argv[2]);
        return 2;
    }

    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(png, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
