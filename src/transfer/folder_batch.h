#pragma once
// Folder transfers from the main window: walks the folders (the window stays
// live, the status line counts, Escape cancels), writes files and folders
// into one Data Transfer dialog, shows it, and refreshes the view it changed,
// as the two batch buttons do for selected files.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Form1;
class QTreeWidgetItem;

// Local files and folders (absolute paths) into the current remote folder;
// a folder arrives as a folder of its name with its whole tree.
void uploadLocalPaths(Form1& window, const QStringList& paths);

// A remote file or folder to download into the local folder list's folder.
struct RemoteItem {
    QByteArray path;   // absolute; a folder's ends with "/"
    QString name;      // the local name it gets ("" for a folder: its contents only)
    bool isFolder = false;
    qint64 size = 0;   // files: the listed size
    qint64 date = 0;   // files: listedDateStamp, 0 when not known
};
void downloadRemoteItems(Form1& window, const QList<RemoteItem>& items);
// The folder of a tree node (the root: its contents only) and a file row of the remote list.
RemoteItem remoteFolderItem(const QTreeWidgetItem* node);
RemoteItem remoteFileItem(const Form1& window, const QTreeWidgetItem* row);

// The context menus: "Upload Folder" on the local folder list, "Download
// Folder" on the remote folder tree.
void setupFolderTransfers(Form1& window);
