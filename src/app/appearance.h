#pragma once
// Looks the windows take at load: the optional skin, the classic button-face
// colours, the hand pointer and the application title.

#include <QColor>
#include <QCursor>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The folder the program runs from.
QString programFolder();
// Points programFolder() at `folder` so tests can place the optional files
// where they like; an empty text goes back to the program's own folder.
void setProgramFolderForTesting(const QString& folder);
// Where the optional files are looked for, first match wins: the program
// folder, then the data folder an installed program keeps them in
// (<program folder>/../share/corvell). Nothing is ever written to either.
QStringList programDataFolders();
// The pointer file "HAND-M.CUR" in the first of those folders that holds it;
// its place in the program folder when none does.
QString pointerFilePath();

// The skin file "x/o.cjs" in the program folder, when present as a normal
// (not hidden) file.
std::optional<QString> findSkinFile(const QString& folder);
// The skin file in the first of `folders` that holds one.
std::optional<QString> findSkinFile(const QStringList& folders);
// The platform's button-face colour (the application palette's button colour).
QColor buttonFaceColour();
// Button-face colour on the window, its frames, labels, option buttons and check boxes.
void applyClassicColours(QWidget* window);
// The skin test, then the classic colours and the skin (a Qt style sheet).
// Throws StepFailure when the skin cannot be read or applied.
void applyMainWindowAppearance(QWidget* window, const QStringList& folders);

// True when the file's modification time can be read; never fails.
bool filePresent(const QString& path);
// Loads "HAND-M.CUR"-style cursor files; throws StepFailure when unreadable.
QCursor loadCursorFile(const QString& path);

// The application title derived from the product name.
QString deriveApplicationTitle(const QString& productName);
