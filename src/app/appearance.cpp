#include "app/appearance.h"

#include "app/cursor_file.h"
#include "app/palette.h"
#include "main_window/error_report.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPalette>
#include <QPixmap>
#include <QRadioButton>
#include <QStringDecoder>
#include <QWidget>

namespace {

struct AppearanceTexts {
    Q_DECLARE_TR_FUNCTIONS(Appearance)
};

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

void paintBackground(QWidget* widget, const QColor& colour) { paintSurface(widget, colour); }

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
        throw StepFailure(AppearanceTexts::tr("The skin file \"%1\" is not a valid skin: %2").arg(path, why));
    };
    if (bytes.contains('\0'))
        refuse(AppearanceTexts::tr("it contains binary data"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        refuse(AppearanceTexts::tr("it is not UTF-8 text"));

    int depth = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c == QLatin1Char('/') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), at + 2);
            if (end < 0)
                refuse(AppearanceTexts::tr("a comment is not closed"));
            at = end + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(c, at + 1);
            if (end < 0)
                refuse(AppearanceTexts::tr("a quoted text is not closed"));
            at = end;
        } else if (c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char('}')) {
            if (--depth < 0)
                refuse(AppearanceTexts::tr("a \"}\" has no \"{\""));
        }
    }
    if (depth != 0)
        refuse(AppearanceTexts::tr("a \"{\" is not closed"));
}

QString readSkin(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepFailure(AppearanceTexts::tr("The skin file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > largestSkin)
        throw StepFailure(AppearanceTexts::tr("The skin file \"%1\" is too large to be a skin").arg(path));
    const QByteArray bytes = file.read(largestSkin + 1);
    if (file.error() != QFileDevice::NoError)
        throw StepFailure(AppearanceTexts::tr("The skin file \"%1\" cannot be read: %2").arg(path, file.errorString()));
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
    const QString sheet = readSkin(*skin);
    // A style sheet makes the widgets under it take the application's palette,
    // a dark one on a dark desktop; the text boxes and lists, which the skin
    // step leaves white, keep their white and dark text by rules of their own,
    // which outrank the skin's.
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(widget) && !qobject_cast<QAbstractItemView*>(widget))
            continue;
        if (!widget->styleSheet().contains(QLatin1String("background-color")))
            keepColoursUnderStyleSheet(widget);
    }
    // A skin that fails to load leaves the colours set above in place.
    window->setStyleSheet(sheet);
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
// The bytes are read here; app/cursor_file.* makes them a picture.

namespace {

// Cursor files are tiny; a larger one is not read into memory.
constexpr qint64 largestCursorFile = 4 * 1024 * 1024;

} // namespace

QCursor loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepFailure(
            AppearanceTexts::tr("The pointer file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > largestCursorFile)
        throw StepFailure(AppearanceTexts::tr("The pointer file \"%1\" cannot be loaded: it is too large").arg(path));
    const QByteArray bytes = file.read(largestCursorFile + 1);
    if (file.error() != QFileDevice::NoError)
        throw StepFailure(
            AppearanceTexts::tr("The pointer file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    const CursorPicture picture = readCursorFile(bytes, path);
    return QCursor(QPixmap::fromImage(picture.image), picture.hotSpot.x(), picture.hotSpot.y());
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
