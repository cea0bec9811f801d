#include "app/palette.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

double channelLuminance(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channelLuminance(rgb.redF()) + 0.7152 * channelLuminance(rgb.greenF())
           + 0.0722 * channelLuminance(rgb.blueF());
}

QColor mixed(const QColor& from, const QColor& to, double share)
{
    const QColor a = from.toRgb(), b = to.toRgb();
    const auto blend = [share](double x, double y) { return x + (y - x) * share; };
    return QColor::fromRgbF(float(blend(a.redF(), b.redF())), float(blend(a.greenF(), b.greenF())),
                            float(blend(a.blueF(), b.blueF())));
}

// Each text role with the surface it is drawn on.
struct TextOnSurface {
    QPalette::ColorRole text;
    QPalette::ColorRole surface;
};
constexpr TextOnSurface textRoles[] = {
    {QPalette::WindowText, QPalette::Window},
    {QPalette::Text, QPalette::Base},
    {QPalette::PlaceholderText, QPalette::Base},
    {QPalette::ButtonText, QPalette::Button},
    {QPalette::HighlightedText, QPalette::Highlight},
    {QPalette::ToolTipText, QPalette::ToolTipBase},
    {QPalette::BrightText, QPalette::Dark},
};
constexpr QPalette::ColorGroup colourGroups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};

void makeTextReadable(QPalette& palette)
{
    for (const QPalette::ColorGroup group : colourGroups)
        for (const TextOnSurface& pair : textRoles)
            palette.setColor(group, pair.text,
                             readableOn(palette.color(group, pair.text), palette.color(group, pair.surface)));
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = relativeLuminance(first), b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor& text, const QColor& background, double ratio)
{
    const QColor opaque = text.toRgb();
    if (contrastRatio(opaque, background) >= ratio)
        return opaque;
    const QColor black(Qt::black), white(Qt::white);
    const QColor& extreme = contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    // The share of the extreme colour grows until the text reads; halving
    // the step finds the least change to within a shade.
    double low = 0, high = 1;
    for (int round = 0; round < 16; ++round) {
        const double share = (low + high) / 2;
        (contrastRatio(mixed(opaque, extreme, share), background) >= ratio ? high : low) = share;
    }
    return mixed(opaque, extreme, high);
}

QPalette readablePalette(const QPalette& desktop)
{
    QPalette palette = desktop;
    makeTextReadable(palette);
    return palette;
}

QPalette whiteSurfacePalette(const QPalette& desktop)
{
    QPalette palette = desktop;
    for (const QPalette::ColorGroup group : colourGroups) {
        for (const QPalette::ColorRole surface : {QPalette::Window, QPalette::Base, QPalette::AlternateBase})
            palette.setColor(group, surface, Qt::white);
        // A dark theme's light text is no starting point on white: the text
        // starts black, its disabled form grey.
        const QColor text = group == QPalette::Disabled ? QColor(0x6d, 0x6d, 0x6d) : QColor(Qt::black);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::PlaceholderText, QColor(0x6d, 0x6d, 0x6d));
    }
    makeTextReadable(palette);
    return palette;
}

void paintSurface(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : colourGroups) {
        palette.setColor(group, QPalette::Window, colour);
        // Coloured text (the blue read-outs) keeps its hue; plain text that
        // does not read on the new surface starts from the desktop's own.
        QColor text = palette.color(group, QPalette::WindowText);
        if (contrastRatio(text, colour) < readableContrast && text.hsvSaturation() == 0)
            text = QApplication::palette().color(group, QPalette::WindowText);
        palette.setColor(group, QPalette::WindowText, readableOn(text, colour));
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void keepColoursUnderStyleSheet(QWidget* widget)
{
    const QPalette colours = widget->palette();
    widget->setStyleSheet(widget->styleSheet()
                          + QStringLiteral(" background-color: %1; color: %2;")
                                .arg(colours.color(QPalette::Base).name(), colours.color(QPalette::Text).name()));
}

void useReadablePalette() { QApplication::setPalette(readablePalette(QApplication::palette())); }
