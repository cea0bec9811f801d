// Copied into an installed program's folder by scripts/check_install.sh: loads
// the pointer file the way the windows do and prints which file that was, so
// the check sees what the installed program would find from where it lies.

#include "app/appearance.h"
#include "main_window/error_report.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
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
