// Start-up: the main window is the first and only window; its load routine
// runs in its constructor, then it shows centred on the screen. Closing it ends
// the program.

#include "app/palette.h"
#include "app/translations.h"
#include "main_window/form1.h"
#include "remote/file_type_icons.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Before any window exists, so every text is looked up in the chosen language.
    installTranslations(application);
    useReadablePalette();
    QApplication::setApplicationName(QStringLiteral("Corvell"));
    QApplication::setWindowIcon(applicationIcon());
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.corvell.Corvell"));

    Form1 window;
    if (const QScreen* screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return application.exec();
}
