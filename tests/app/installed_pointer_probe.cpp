// Copied into an installed program's folder by scripts/check_install.sh: loads
// the pointer file the way the windows do and prints which file that was, so
// the check sees what the installed program would find from where it lies.
// With "--language <locale>" it installs the translations instead and prints
// the language it found ("" for none).

#include "app/appearance.h"
#include "app/translations.h"
#include "main_window/error_report.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--language") == 0) {
        std::printf("%s\n", qPrintable(installTranslations(application, QLocale(QString::fromLocal8Bit(argv[2])))));
        return 0;
    }
    const QString pointerFile = pointerFilePath();
    try {
        (void)loadCursorFile(pointerFile);
    } catch (const StepFailure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::printf("%s\n", qPrintable(pointerFile));
    return 0;
}
