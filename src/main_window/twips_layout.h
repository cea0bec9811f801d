#pragma once
// Both windows are laid out in twips, as designed; 15 twips make one pixel at 96 dpi.

#include <QFont>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <cmath>

inline int px(int twips) { return int(std::lround(twips / 15.0)); }

// Creates a named child of `parent` at a position and size given in twips.
template <typename Widget>
Widget* makeAt(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(px(left), px(top), px(width), px(height));
    return widget;
}

// The windows' push buttons: Arial bold 11.25 pt, never a default button.
inline QPushButton* makeButtonAt(QWidget* parent, const char* name, const QString& caption, int left,
                                 int top, int width, int height)
{
    auto* button = makeAt<QPushButton>(parent, name, left, top, width, height);
    button->setText(caption);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSizeF(11.25);
    button->setFont(font);
    button->setAutoDefault(false);
    return button;
}
