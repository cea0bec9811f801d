// The main window's load routine: appearance, pointer, caption, icon and
// title, the file list's columns, the restored settings, the file mask and the
// status line, each step under the error report.

#include "main_window/form1.h"

#include "app/appearance.h"
#include "app/palette.h"
#include "main_window/error_report.h"
#include "main_window/password_setting.h"
#include "main_window/settings_store.h"
#include "main_window/user_dialogs.h"
#include "remote/file_type_icons.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

const QString productName = QStringLiteral("Corvell");

// Column widths are given in twips (15 to a pixel at 96 dpi). A width below one
// pixel becomes one pixel, the narrowest column Qt draws and lets the user grab.
int columnPixels(int twips) { return std::max(1, int(std::lround(twips / 15.0))); }

void addColumn(QTreeWidget* list, const QString& caption)
{
    const int column = list->columnCount();
    list->setColumnCount(column + 1);
    list->headerItem()->setText(column, caption);
}

QString restoredSetting(const char* name, const QString& defaultValue = {})
{
    return GetSetting(QStringLiteral("Brannock"), productName, QLatin1String(name), defaultValue);
}

} // namespace

void Form1::Form_Load()
{
    StepRunner steps(this, form1Procedure("Form_Load"));

    steps.step(102, [&] { applyMainWindowAppearance(this, programDataFolders()); });
    const QString pointerFile = pointerFilePath();
    bool pointerFilePresent = false;
    steps.step(104, [&] { pointerFilePresent = filePresent(pointerFile); });
    if (pointerFilePresent)
        steps.step(106, [&] { setCustomPointer(loadCursorFile(pointerFile)); });

    steps.step(126, [&] { setWindowTitle(productName); });
    steps.step(126, [&] { setWindowIcon(applicationIcon()); });
    steps.step(126, [&] { setApplicationTitle(deriveApplicationTitle(productName)); });

    steps.step(128, [&] { addColumn(ListView1, tr("File(s)")); });
    steps.step(130, [&] { addColumn(ListView1, tr("Date Modified")); });
    steps.step(132, [&] { addColumn(ListView1, tr("File Size")); });

    steps.step(134, [&] {
        // Columns start as narrow as one pixel and the user drags them wider;
        // the last one must not stretch over the free space.
        QHeaderView* header = ListView1->header();
        header->setMinimumSectionSize(1);
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, columnPixels(3700));
    });
    steps.step(136, [&] { ListView1->header()->resizeSection(1, columnPixels(1)); });
    steps.step(138, [&] { ListView1->header()->resizeSection(2, columnPixels(1)); });

    steps.step(140, [&] { txtHostName->setText(restoredSetting("Host Name")); });
    steps.step(142, [&] { txtPort->setText(restoredSetting("Port", QStringLiteral("21"))); });
    steps.step(144, [&] { txtUserName->setText(restoredSetting("User Name")); });
    steps.step(146, [&] { txtPassword->setText(passwordSetting_->restored()); });

    steps.step(148, [&] { fileMask = QStringLiteral("*.*"); });

    steps.step(150, [&] {
        paintSurface(lblStatus, Qt::white);
        // A skin's style sheet outranks the palette; the status line's own rule
        // outranks the skin's.
        if (!styleSheet().isEmpty())
            lblStatus->setStyleSheet(QStringLiteral("background-color: #ffffff;"));
    });
}
