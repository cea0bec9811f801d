#include "main_window/form1.h"

#include <QTreeWidget>

// Opens the selected node's folder; also the refresh after every change on the server.
void Form1::TView1_NodeClick()
{
    QTreeWidgetItem* node = selectedNode();
    if (!node)
        return;

    currentNode = node;
    node->setExpanded(true);
    session.currentPath =
        node->text(0) == QLatin1String("..") ? QStringLiteral("/") : node->data(0, NodeKeyRole).toString();
    session.searchPattern = session.currentPath + fileMask;

    // The listing rebuilds the sub-tree from the server's answer. currentNode
    // is the node itself by now, so no window pointer is left on a deleted child.
    while (node->childCount() > 0)
        delete node->child(0);

    // Every operation builds absolute paths, so whether the server follows is of no concern.
    (void)FtpSetCurrentDirectoryA(session.connectionHandle, toRemote(session.currentPath));
    list();
}
