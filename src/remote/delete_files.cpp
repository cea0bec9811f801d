#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"

#include <QTreeWidget>

// "Delete File": deletes the selected rows of the file list one by one and
// stops at the first refusal, so nothing after a failure is touched.
void Form1::PushButton5_Click()
{
    StepRunner steps(this, form1Procedure("PushButton5_Click"));

    bool connected = false;
    steps.step(100, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(102, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    bool hasCurrent = false;
    steps.step(104, [&] { hasCurrent = selectedListItem() != nullptr; });
    if (!hasCurrent) {
        steps.step(106, [&] { userDialogs().message(this, tr("No file is selected to be deleted")); });
        return;
    }

    bool confirmed = false;
    steps.step(108, [&] {
        confirmed = userDialogs().confirm(this, tr("Are you sure to delete selected file(s)?"));
    });
    if (!confirmed)  // [110]
        return;

    steps.step(112, [&] { setStatus(tr("Sending request.")); });

    // The count is taken once; the list is not touched during the loop, so the
    // rows keep their positions while the files go on the server.
    int count = 0;
    steps.step(114, [&] { count = ListView1->topLevelItemCount(); });
    for (int row = 0; row < count; ++row) {
        bool selected = false;
        QTreeWidgetItem* item = nullptr;
        steps.step(116, [&] {
            item = ListView1->topLevelItem(row);
            selected = item && item->isSelected();
        });
        if (!selected)
            continue;

        std::string path;
        steps.step(118, [&] { path = toRemote(session.currentPath) + remoteNameOf(item); });
        steps.step(120, [&] { setStatus(tr("Deleting: \"%1\"").arg(displayPath(path))); });

        bool deleted = false;
        steps.step(122, [&] { deleted = FtpDeleteFileA(session.connectionHandle, path); });
        if (!deleted) {
            steps.step(124, [&] { userDialogs().message(this, tr("An error occured while deleting file")); });
            steps.step(126, [&] { setStatus(tr("An error occured while deleting file")); });
            return;
        }
        steps.step(128, [&] { setStatus(tr("OK")); });
    }

    steps.step(132, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(134, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    QTreeWidgetItem* node = nullptr;
    steps.step(136, [&] { node = selectedNode(); });
    if (node) {
        steps.step(138, [&] { currentNode = node; });
        steps.step(140, [&] { TView1_NodeClick(); });
    }
}
