#include "local/dir_list_box.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

#include <dirent.h>

namespace {

constexpr int indentPerLevel = 8;

// Draws each row shifted right by its level, so the path reads as a chain.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(index);
        return size;
    }

private:
    static int indent(const QModelIndex& index)
    {
        return index.data(DirListBox::LevelRole).toInt() * indentPerLevel;
    }
};

QString childPath(const QString& folder, const QString& name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

QString normalizedLocalPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool isReadableFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || !info.isExecutable())
        return false;
    // Permission bits do not tell everything (a failing medium, ACLs): try it.
    DIR* folder = ::opendir(QFile::encodeName(path).constData());
    if (!folder)
        return false;
    ::closedir(folder);
    return true;
}

QStringList sortedByName(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    setItemDelegate(new IndentingDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRow(row(item)); });
    // The list starts on the folder the program was started in, readable or not.
    path_ = normalizedLocalPath(QDir::currentPath());
    fill();
}

QString DirListBox::Path() const { return path_; }

bool DirListBox::setPath(const QString& path)
{
    const QString folder = normalizedLocalPath(path);
    if (!isReadableFolder(folder))
        return false;
    const bool changed = folder != path_;
    path_ = folder;
    // Read again even when unchanged: sub-folders may have come or gone.
    fill();
    if (changed)
        emit Change();
    return true;
}

QString DirListBox::rowPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(PathRole).toString() : QString();
}

int DirListBox::rowLevel(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(LevelRole).toInt() : -1;
}

void DirListBox::openRow(int row)
{
    const QString folder = rowPath(row);
    if (folder.isEmpty())
        return;
    if (!setPath(folder))
        QApplication::beep();
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openRow(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::setShowHidden(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    fill();
}

void DirListBox::fill()
{
    clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto addRow = [this](const QIcon& icon, const QString& text, const QString& folder, int level) {
        auto* entry = new QListWidgetItem(icon, text, this);
        entry->setData(PathRole, folder);
        entry->setData(LevelRole, level);
        entry->setToolTip(folder);
        return entry;
    };

    // The chain from "/" down to the current folder, each level one step in.
    QListWidgetItem* current = addRow(openFolder, QStringLiteral("/"), QStringLiteral("/"), 0);
    QString folder = QStringLiteral("/");
    int level = 0;
    for (const QString& name : path_.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder = childPath(folder, name);
        current = addRow(openFolder, name, folder, ++level);
    }

    // Its sub-folders one step further in; hidden ones as in the file list.
    if (isReadableFolder(path_)) {
        const QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
        const QStringList names = QDir(path_).entryList(showHidden_ ? filters | QDir::Hidden : filters, QDir::NoSort);
        for (const QString& name : sortedByName(names))
            addRow(closedFolder, name, childPath(path_, name), level + 1);
    }

    setCurrentItem(current);
    scrollToItem(current);
}
