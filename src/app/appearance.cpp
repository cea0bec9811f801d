#include "app/appearance.h"

#include <QCoreApplication>

// Placeholder until this part is built.
QString programFolder() { return QCoreApplication::applicationDirPath(); }
std::optional<QString> findSkinFile(const QString&) { return std::nullopt; }
void applyClassicColours(QWidget*) {}
void applyMainWindowAppearance(QWidget*, const QString&) {}
bool filePresent(const QString&) { return false; }
QCursor loadCursorFile(const QString&) { return QCursor(Qt::ArrowCursor); }
QString deriveApplicationTitle(const QString& productName) { return productName; }
