#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"

#include <QStringList>
#include <QTreeWidget>

#include <algorithm>

namespace {

// The node texts from the root down to `node`, joined as the tree shows paths: ..\pub\sub
QString treePath(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (const QTreeWidgetItem* at = node; at; at = at->parent())
        texts.prepend(at->text(0));
    return texts.join(QLatin1Char('\\'));
}

} // namespace

// "New Folder": creates a folder of the typed name inside the current remote
// folder. The name is sent exactly as typed; the server decides what it accepts.
void Form1::PushButton6_Click()
{
    StepRunner steps(this, form1Procedure("PushButton6_Click"));

    bool connected = false;
    steps.step(100, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(102, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    QString name;
    steps.step(104, [&] {
        name = userDialogs().inputBox(this, tr("Type name for the new folder"),
                                      tr("New Folder"));
    });
    if (name.isEmpty())  // [106]
        return;

    const QString path = session.currentPath + name;
    steps.step(108, [&] {
        setStatus(tr("Sending request to create folder: \"%1\"").arg(path));
    });

    bool created = false;
    steps.step(110, [&] { created = FtpCreateDirectoryA(session.connectionHandle, toRemote(path)); });
    if (!created) {
        steps.step(112, [&] { userDialogs().message(this, tr("An error osccured while creating folder")); });
        steps.step(114, [&] { setStatus(tr("An error osccured while creating folder")); });
        return;
    }
    steps.step(116, [&] { setStatus(tr("Folder created.")); });

    steps.step(118, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(120, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    QTreeWidgetItem* node = nullptr;
    steps.step(122, [&] { node = selectedNode(); });
    if (node) {
        steps.step(124, [&] { currentNode = node; });
        steps.step(126, [&] { TView1_NodeClick(); });
    }
}

// "Delete Folder": removes the folder of the selected tree node, then selects
// and lists its parent. The folder is always taken from the selected node's own
// key, so the folder removed is the one the confirmation names even when the
// selection moved without the node being opened.
void Form1::PushButton7_Click()
{
    StepRunner steps(this, form1Procedure("PushButton7_Click"));

    bool connected = false;
    steps.step(100, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(102, [&] { userDialogs().message(this, tr("Not connected to any Server")); });
        return;
    }

    QTreeWidgetItem* node = nullptr;
    steps.step(104, [&] { node = selectedNode(); });
    if (!node)
        return;

    steps.step(106, [&] { currentNode = node; });

    bool isRoot = false;
    steps.step(108, [&] { isRoot = node->text(0) == QLatin1String(".."); });
    if (isRoot) {
        steps.step(110, [&] {
            userDialogs().message(this, tr("This is the root folder that can not be removed"));
        });
        return;
    }

    bool confirmed = false;
    steps.step(112, [&] {
        confirmed = userDialogs().confirm(this, tr("Are you sure to remove this folder: \"%1\"?").arg(node->text(0)));
    });
    if (!confirmed)  // [114]
        return;

    QString folderPath;
    steps.step(116, [&] {
        const QString key = node->data(0, NodeKeyRole).toString();
        folderPath = key.endsWith(QLatin1Char('/')) ? key.chopped(1) : key;
    });
    QString parentKey;
    steps.step(118, [&] {
        // The key, not the shown text: a name that is not UTF-8 shows with
        // another length than its key holds.
        parentKey = folderPath.left(folderPath.lastIndexOf(QLatin1Char('/')) + 1);
    });
    steps.step(120, [&] {
        setStatus(tr("Sending request to remove folder: \"%1\"").arg(treePath(node)));
    });

    bool removed = false;
    steps.step(122, [&] { removed = FtpRemoveDirectoryA(session.connectionHandle, toRemote(folderPath)); });
    if (!removed) {
        steps.step(124, [&] {
            userDialogs().message(this, tr("An error occured! Make sure that folder contains no files"));
        });
        steps.step(126, [&] { setStatus(tr("An error occured while removing folder")); });
        return;
    }
    steps.step(128, [&] { setStatus(tr("Request accomplished successfuly.")); });

    // Move the selection to the parent so the listing below shows the folder
    // that held the removed one.
    QTreeWidgetItem* parent = nullptr;
    steps.step(130, [&] { parent = nodeByKey(parentKey); });
    if (parent) {  // [132]
        steps.step(134, [&] { currentNode = parent; });
        steps.step(136, [&] {
            TView1->clearSelection();
            parent->setSelected(true);
            TView1->setCurrentItem(parent);
        });
        steps.step(138, [&] {
            for (QTreeWidgetItem* above = parent->parent(); above; above = above->parent())
                above->setExpanded(true);
            TView1->scrollToItem(parent);
        });
    }

    steps.step(142, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(144, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    QTreeWidgetItem* selected = nullptr;
    steps.step(146, [&] { selected = selectedNode(); });
    if (selected) {
        steps.step(148, [&] { currentNode = selected; });
        steps.step(150, [&] { TView1_NodeClick(); });
    }
}
