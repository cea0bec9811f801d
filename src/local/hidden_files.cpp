#include "local/hidden_files.h"

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "main_window/settings_store.h"

#include <QGroupBox>
#include <QShortcut>

namespace {

void showHidden(Form1& window, bool show)
{
    window.dirLocalDir->setShowHidden(show);
    window.filLocalFile->setShowHidden(show);
}

} // namespace

void setupHiddenFilesToggle(Form1& window)
{
    const QString name = QLatin1String(showHiddenFilesSetting);
    showHidden(window, GetSetting(QStringLiteral("Brannock"), QStringLiteral("Corvell"), name, QString())
                           == QLatin1String("1"));
    // Only where the local lists have the focus: elsewhere the key stays free.
    for (QWidget* list : {static_cast<QWidget*>(window.dirLocalDir), static_cast<QWidget*>(window.filLocalFile)}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), list);
        shortcut->setContext(Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, [&window, name] {
            const bool show = !window.filLocalFile->showsHidden();
            showHidden(window, show);
            SaveSetting(QStringLiteral("Brannock"), QStringLiteral("Corvell"), name,
                        show ? QStringLiteral("1") : QStringLiteral("0"));
        });
    }
}
