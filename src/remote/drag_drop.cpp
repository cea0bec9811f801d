#include "remote/drag_drop.h"

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "transfer/folder_batch.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

namespace {

// "ListView1" or "dirLocalDir\n/home/me/site": the source list, then the folder.
QByteArray sourceOf(const QString& list, const QString& folder = {})
{
    return (folder.isEmpty() ? list : list + QLatin1Char('\n') + folder).toUtf8();
}

// Starts a drag from one list once the mouse moved far enough with the
// button held on one of its rows. The view keeps its own clicks and selection.
class DragStarter : public QObject {
public:
    DragStarter(Form1& window, QAbstractItemView* view) : QObject(view), window_(window), view_(view)
    {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            pressedAt_ = mouse->position().toPoint();
            pressed_ = mouse->button() == Qt::LeftButton && view_->indexAt(pressedAt_).isValid();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            pressed_ = false;
        } else if (event->type() == QEvent::MouseMove && pressed_) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if ((mouse->buttons() & Qt::LeftButton)
                && (mouse->position().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
                pressed_ = false;
                startDrag();
                return true;
            }
        }
        return false;
    }

private:
    void startDrag()
    {
        auto* data = new QMimeData;
        const QModelIndex index = view_->indexAt(pressedAt_);
        QList<QUrl> urls;
        if (view_ == window_.filLocalFile) {
            data->setData(QLatin1String(windowDragFormat), sourceOf(QStringLiteral("filLocalFile")));
            for (int i = 0; i < window_.filLocalFile->ListCount(); ++i)
                if (window_.filLocalFile->Selected(i))
                    urls << QUrl::fromLocalFile(window_.filLocalFile->Path() + QLatin1Char('/') + window_.filLocalFile->List(i));
        } else if (view_ == window_.dirLocalDir) {
            const QString folder = window_.dirLocalDir->rowPath(index.row());
            data->setData(QLatin1String(windowDragFormat), sourceOf(QStringLiteral("dirLocalDir"), folder));
            urls << QUrl::fromLocalFile(folder);
        } else if (view_ == window_.ListView1) {
            data->setData(QLatin1String(windowDragFormat), sourceOf(QStringLiteral("ListView1")));
        } else if (view_ == window_.TView1) {
            const QString key = index.data(Form1::NodeKeyRole).toString();
            data->setData(QLatin1String(windowDragFormat), sourceOf(QStringLiteral("TView1"), key));
        }
        // Local files carry their addresses too, for a file manager to take.
        if (!urls.isEmpty())
            data->setUrls(urls);
        auto* drag = new QDrag(view_);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }

    Form1& window_;
    QAbstractItemView* view_;
    QPoint pressedAt_;
    bool pressed_ = false;
};

// Takes drops on one side's lists.
class DropTarget : public QObject {
public:
    DropTarget(Form1& window, QAbstractItemView* view, bool remote) : QObject(view), window_(window), remote_(remote)
    {
        view->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (dropStarts(window_, *drag->mimeData(), remote_, false)) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (dropStarts(window_, *drop->mimeData(), remote_, true)) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
        case QEvent::DragLeave:
            return true;
        default:
            return false;
        }
    }

private:
    Form1& window_;
    bool remote_;
};

// The transfer runs after the drop has returned: its dialog is modal, and
// the drag's own loop must not be left waiting inside it.
void later(Form1& window, std::function<void()> run)
{
    QTimer::singleShot(0, &window, std::move(run));
}

} // namespace

bool dropStarts(Form1& window, const QMimeData& data, bool onRemote, bool start)
{
    QPointer<Form1> alive(&window);
    if (data.hasFormat(QLatin1String(windowDragFormat))) {
        const QString source = QString::fromUtf8(data.data(QLatin1String(windowDragFormat)));
        const QString list = source.section(QLatin1Char('\n'), 0, 0);
        const QString folder = source.section(QLatin1Char('\n'), 1);
        const bool fromLocal = list == QLatin1String("filLocalFile") || list == QLatin1String("dirLocalDir");
        if (fromLocal != onRemote)
            return false;
        if (!start)
            return true;
        if (list == QLatin1String("filLocalFile"))
            later(window, [alive] { if (alive) alive->PushButton1_Click(); });
        else if (list == QLatin1String("dirLocalDir"))
            later(window, [alive, folder] { if (alive) uploadLocalPaths(*alive, {folder}); });
        else if (list == QLatin1String("ListView1"))
            later(window, [alive] { if (alive) alive->PushButton4_Click(); });
        else if (list == QLatin1String("TView1"))
            later(window, [alive, folder] {
                if (!alive)
                    return;
                if (QTreeWidgetItem* node = alive->nodeByKey(folder))
                    downloadRemoteItems(*alive, {remoteFolderItem(node)});
            });
        return true;
    }
    // From the desktop: local files and folders, onto the remote side.
    if (!onRemote || !data.hasUrls())
        return false;
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return false;
    if (start)
        later(window, [alive, paths] { if (alive) uploadLocalPaths(*alive, paths); });
    return true;
}

void setupDragAndDrop(Form1& window)
{
    for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{
             window.filLocalFile, window.dirLocalDir, window.ListView1, window.TView1})
        new DragStarter(window, view);
    new DropTarget(window, window.ListView1, true);
    new DropTarget(window, window.TView1, true);
    new DropTarget(window, window.filLocalFile, false);
    new DropTarget(window, window.dirLocalDir, false);
}
