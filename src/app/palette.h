#pragma once
// The one place the windows' colours come from. The desktop's palette gives
// every colour, except the surfaces the main window is designed white; each
// text colour is then moved, where needed, until it reads on the surface it is
// drawn on, so a dark desktop theme cannot leave white text on white.

#include <QColor>
#include <QPalette>

class QWidget;

// The WCAG contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& first, const QColor& second);
// The contrast normal text needs (WCAG AA).
inline constexpr double readableContrast = 4.5;
// `text` as it is when it reads on `background`; otherwise moved towards black
// or white, whichever lies further from the background, just far enough.
QColor readableOn(const QColor& text, const QColor& background, double ratio = readableContrast);

// `desktop` with every text role readable on the surface it is drawn on, in
// every colour group (disabled text included).
QPalette readablePalette(const QPalette& desktop);
// The main window's designed look: window and text surfaces white with dark
// text; buttons, selections and tooltips as readablePalette gives them.
QPalette whiteSurfacePalette(const QPalette& desktop);

// Fills `widget`'s background with `colour` and makes its text read on it.
void paintSurface(QWidget* widget, const QColor& colour);

// A widget under a style sheet draws with the application's palette, not its
// own: this writes its surface and text colours into its own style sheet.
void keepColoursUnderStyleSheet(QWidget* widget);

// Makes the application's palette readable; boxes and menus take it.
void useReadablePalette();
