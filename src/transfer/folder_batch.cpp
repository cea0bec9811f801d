#include "transfer/folder_batch.h"

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "main_window/remote_names.h"
#include "main_window/user_dialogs.h"
#include "transfer/folder_walk.h"
#include "transfer/form2.h"
#include "transfer/transfer_paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace {

// While a walk runs the window repaints and the status line counts, but takes
// no input, except Escape, which cancels the walk.
class WalkWatch : public QObject {
public:
    explicit WalkWatch(Form1& window) : window_(window)
    {
        qApp->installEventFilter(this);
        clock_.start();
    }
    ~WalkWatch() override { qApp->removeEventFilter(this); }

    bool progress(int files, int folders)
    {
        if (clock_.elapsed() >= 100) {
            clock_.restart();
            window_.setStatus(Form1::tr("Collecting files: %1 files in %2 folders (Esc cancels)")
                                  .arg(QString::number(files), QString::number(folders)));
            QApplication::processEvents();
        }
        return !cancelled_;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                cancelled_ = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

private:
    Form1& window_;
    QElapsedTimer clock_;
    bool cancelled_ = false;
};

QString fileCountText(int count) { return Form2::tr("File:       0 / %1").arg(count); }

QByteArray bytesOf(const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); }

// Tells what the walk left out, in one box; a long list is cut short.
// What a finished walk ends with: a cancelled one goes no further (false),
// one that ran to its end tells what it left out.
bool walkGoesOn(Form1& window, const FolderWalk& walk)
{
    if (walk.cancelled) {
        window.setStatus(Form1::tr("Cancelled."));
        return false;
    }
    const QStringList& leftOut = walk.leftOut;
    if (leftOut.isEmpty())
        return true;
    constexpr int shown = 10;
    QString text = leftOut.mid(0, shown).join(QLatin1Char('\n'));
    if (leftOut.size() > shown)
        text += Form1::tr("\n... and %1 more.").arg(leftOut.size() - shown);
    userDialogs().message(&window, text);
    return true;
}

// Writes the walk into a fresh dialog and shows it; false when cancelled.
void runBatch(Form1& window, const FolderWalk& walk, bool upload)
{
    auto dialog = std::make_unique<Form2>(window);
    qint64 total = 0;
    for (const WalkedFile& file : walk.files) {
        const BatchFolder& folder = walk.folders.at(file.folder);
        dialog->List1.append(upload ? folder.local + file.name : file.name);
        dialog->List2.append(file.size);
        dialog->entryFolders.append(folder);
        if (!upload) {
            dialog->remoteNames.append(file.remoteName);
            dialog->remoteDates.append(file.remoteDate);
        }
        total += file.size;
    }
    dialog->foldersToMake = walk.folders;
    dialog->mTotalCount = int(walk.files.size());
    dialog->Label2->setText(fileCountText(dialog->mTotalCount));
    if (upload) {
        dialog->PushButton1->setText(Form2::tr("&Upload"));
        dialog->Label4->setText(Form2::tr("Bytes send:"));
        dialog->Label7->setText(Form2::tr("Upload Speed:"));
    } else {
        dialog->PushButton1->setText(Form2::tr("&Download"));
        dialog->Label4->setText(Form2::tr("Bytes received:"));
    }
    dialog->batchTotal = total;
    dialog->lbCelkem->setText(QString::number(total));
    window.setStatus(Form1::tr("%1 files in %2 folders")
                         .arg(QString::number(walk.files.size()), QString::number(walk.folders.size())));
    dialog->exec();
}

bool connectedOrSay(Form1& window)
{
    if (window.session.isConnected())
        return true;
    userDialogs().message(&window, Form1::tr("not connected to any server"));
    return false;
}

} // namespace

void uploadLocalPaths(Form1& window, const QStringList& paths)
{
    if (paths.isEmpty() || !connectedOrSay(window))
        return;
    const QByteArray target = bytesOf(toRemote(window.session.currentPath));
    FolderWalk walk;
    {
        WalkWatch watch(window);
        const auto progress = [&](int files, int folders) { return watch.progress(files, folders); };
        for (const QString& path : paths) {
            const QFileInfo info(path);
            if (info.isDir()) {
                walkLocalFolder(walk, info.absoluteFilePath(), target + bytesOf(toRemote(info.fileName())) + '/',
                                window.filLocalFile->showsHidden(), progress);
            } else if (info.isFile()) {
                walk.folders.append({target, folderPrefix(info.absolutePath())});
                walk.files.append({info.fileName(), bytesOf(toRemote(info.fileName())), info.size(), 0,
                                   int(walk.folders.size() - 1)});
            } else {
                walk.leftOut << Form1::tr("\"%1\" is neither a file nor a folder: it was left out.").arg(path);
            }
            if (walk.cancelled)
                break;
        }
    }
    if (!walkGoesOn(window, walk))
        return;
    runBatch(window, walk, true);
    if (!window.session.isConnected()) {
        userDialogs().message(&window, Form1::tr("Not connected to any server"));
        return;
    }
    if (QTreeWidgetItem* node = window.selectedNode()) {
        window.currentNode = node;
        window.TView1_NodeClick();
    }
}

void downloadRemoteItems(Form1& window, const QList<RemoteItem>& items)
{
    if (items.isEmpty())
        return;
    if (!window.session.isConnected()) {
        userDialogs().message(&window, Form1::tr("Not connected to any server"));
        return;
    }
    FolderWalk walk;
    {
        WalkWatch watch(window);
        const auto progress = [&](int files, int folders) { return watch.progress(files, folders); };
        for (const RemoteItem& item : items) {
            if (item.isFolder) {
                const QString local = item.name.isEmpty() ? QString() : item.name + QLatin1Char('/');
                if (!item.name.isEmpty() && !isPlainLocalName(QFile::encodeName(item.name))) {
                    walk.leftOut << Form1::tr("The remote folder \"%1\" cannot be a local name: it was left out.")
                                        .arg(item.name);
                    continue;
                }
                walkRemoteFolder(walk, window.session.connectionHandle, item.path, local, progress);
            } else {
                const qsizetype slash = item.path.lastIndexOf('/');
                walk.folders.append({item.path.left(slash + 1), QString()});
                walk.files.append({item.name, item.path.mid(slash + 1), item.size, item.date,
                                   int(walk.folders.size() - 1)});
            }
            if (walk.cancelled)
                break;
        }
    }
    if (!walkGoesOn(window, walk))
        return;
    downloadFolder = folderPrefix(window.dirLocalDir->Path());
    runBatch(window, walk, false);
    window.dirLocalDir_Change();
}

RemoteItem remoteFolderItem(const QTreeWidgetItem* node)
{
    RemoteItem item;
    item.path = bytesOf(toRemote(node->data(0, Form1::NodeKeyRole).toString()));
    if (!item.path.endsWith('/'))
        item.path += '/';
    item.name = node->parent() ? node->text(0) : QString();
    item.isFolder = true;
    return item;
}

RemoteItem remoteFileItem(const Form1& window, const QTreeWidgetItem* row)
{
    RemoteItem item;
    item.path = bytesOf(toRemote(window.session.currentPath) + Form1::remoteNameOf(row));
    item.name = row->text(0);
    item.size = row->text(2).toLongLong();
    item.date = row->data(1, Form1::RemoteDateRole).toLongLong();
    return item;
}

void setupFolderTransfers(Form1& window)
{
    window.dirLocalDir->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(window.dirLocalDir, &QWidget::customContextMenuRequested, &window, [&window](const QPoint& at) {
        QListWidgetItem* row = window.dirLocalDir->itemAt(at);
        if (!row)
            return;
        const QString folder = window.dirLocalDir->rowPath(window.dirLocalDir->row(row));
        QMenu menu;
        menu.addAction(Form1::tr("Upload Folder"), &window, [&window, folder] { uploadLocalPaths(window, {folder}); });
        menu.exec(window.dirLocalDir->viewport()->mapToGlobal(at));
    });
    window.TView1->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(window.TView1, &QWidget::customContextMenuRequested, &window, [&window](const QPoint& at) {
        QTreeWidgetItem* node = window.TView1->itemAt(at);
        if (!node)
            return;
        const RemoteItem item = remoteFolderItem(node);
        QMenu menu;
        menu.addAction(Form1::tr("Download Folder"), &window, [&window, item] { downloadRemoteItems(window, {item}); });
        menu.exec(window.TView1->viewport()->mapToGlobal(at));
    });
}
