#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/ftp_client.h"
#include "main_window/user_dialogs.h"
#include "remote/rename_delegate.h"

#include <QTreeWidget>

namespace {

// The part after the last "."; a name without "." is its own extension, and a
// name ending in "." has an empty one.
QString extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

// Compares the bytes the server listed, exactly: a name that differs only in
// letter case is another file to a server that cares about case.
bool listedBesides(const QTreeWidget* list, const QTreeWidgetItem* edited, const std::string& remoteName)
{
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        if (item != edited && Form1::remoteNameOf(item) == remoteName)
            return true;
    }
    return false;
}

// True when the server says something stands at `path` now. A name that only
// changes the letter case of the old one is left to the listing: a server that
// ignores case would find the file being renamed.
bool onServer(HINTERNET connection, const std::string& oldPath, const std::string& path)
{
    const auto lower = [](std::string text) {
        for (char& c : text)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return text;
    };
    bool exists = false;
    return lower(oldPath) != lower(path) && FtpAskPathExistsA(connection, path, exists) && exists;
}

} // namespace

// Editing starts only from the "Rename File" button: every rename goes to the
// server at once, so no stray click or key should open the editor, and the
// button checks the connection first.
void Form1::setupRenameEditing()
{
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    (new RenameDelegate(this))->install(ListView1);
}

// "Rename File": opens the in-place editor on the current row; the rename
// itself happens when the edit is committed (ListView1_AfterLabelEdit).
void Form1::PushButton9_Click()
{
    StepRunner steps(this, form1Procedure("PushButton9_Click"));

    bool connected = false;
    steps.step(100, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(102, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    QTreeWidgetItem* item = nullptr;
    steps.step(104, [&] { item = selectedListItem(); });
    if (!item) {
        steps.step(106, [&] { userDialogs().message(this, tr("Nothing to rename")); });
        return;
    }

    steps.step(108, [&] {
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        ListView1->scrollToItem(item);
        ListView1->editItem(item, 0);
    });
}

void Form1::ListView1_BeforeLabelEdit()
{
    const QTreeWidgetItem* item = selectedListItem();
    setStatus(tr("Server: Renaming file: \"%1\"").arg(item ? item->text(0) : QString()));
}

// Runs when an edit is committed, before the list takes the typed text;
// `cancel` tells the editor whether to keep it (0) or the old name (1).
// A failure here ends the handler silently: it is no step-labelled procedure.
void Form1::ListView1_AfterLabelEdit(int& cancel, const QString& newText)
{
    try {
        QTreeWidgetItem* item = selectedListItem();
        if (!item)
            return;

        // After a refused rename the row shows the typed name while its listed
        // bytes still hold the server's name, so a second attempt renames the right file.
        const std::string oldRemoteName = remoteNameOf(item);
        const QString oldName = displayName(oldRemoteName);
        // A name kept as shown keeps its listed bytes; a typed one goes out as UTF-8.
        const std::string newRemoteName = newText == oldName ? oldRemoteName : toRemote(newText);
        const std::string folder = toRemote(session.currentPath);
        const std::string oldPath = folder + oldRemoteName;
        const std::string newPath = folder + newRemoteName;

        // Most servers let RNTO replace a file of that name without a word.
        const auto refuseClash = [&] {
            userDialogs().message(this, tr("More files with the same name in one folder"));
            setStatus(tr("Wrong file parameter"));
            cancel = 1;
        };
        if (listedBesides(ListView1, item, newRemoteName))
            return refuseClash();

        const QString oldExtension = extensionOf(oldName);
        const QString newExtension = extensionOf(newText);
        if (oldExtension != newExtension) {
            const bool confirmed = userDialogs().confirm(
                this, tr("Are you sure to exchange the file extension from: \"%1\" to: \"%2\"")
                          .arg(oldExtension, newExtension));
            if (!confirmed) {
                cancel = 1;
                return;
            }
        }

        // A file put there after the listing (by another client) counts as
        // much as a listed one; asked only once the user wants the rename.
        if (onServer(session.connectionHandle, oldPath, newPath))
            return refuseClash();

        cancel = 0;
        setStatus(tr("Sending request to rename file: \"%1\"").arg(displayPath(oldPath)));

        if (!FtpRenameFileA(session.connectionHandle, oldPath, newPath)) {
            userDialogs().message(this, tr("Can't accomplishe request"));
            setStatus(tr("Request accomplished with no success at all"));
            return;
        }
        // Without a refresh below the row stays; it must name the file the server now has.
        item->setData(0, RemoteNameRole, QByteArray(newRemoteName.data(), qsizetype(newRemoteName.size())));
        setStatus(tr("File renamed to: \"%1\"").arg(displayPath(newPath)));

        if (!session.isConnected()) {
            userDialogs().message(this, tr("Not connected to any server"));
            return;
        }

        if (QTreeWidgetItem* node = selectedNode()) {
            currentNode = node;
            TView1_NodeClick();
        }
    } catch (...) {
        // Ends silently, leaving `cancel` as it stood.
    }
}
