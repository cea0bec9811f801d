#include "local/file_list_box.h"

#include "local/dir_list_box.h"

#include <QDir>

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    // Starts where the folder list starts: the program's current folder.
    setPath(QDir::currentPath());
}

QString FileListBox::Path() const { return path_; }

void FileListBox::setPath(const QString& path)
{
    path_ = normalizedLocalPath(path);
    clear();
    // An unreadable or vanished folder simply lists nothing.
    if (!isReadableFolder(path_))
        return;
    // Plain files and links to them; hidden files (unless asked for), sockets,
    // pipes, devices and broken links stay out.
    const QDir::Filters filters = showHidden_ ? QDir::Files | QDir::Hidden : QDir::Files;
    const QStringList names = QDir(path_).entryList(filters, QDir::NoSort);
    addItems(sortedByName(names));
}

void FileListBox::setShowHidden(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    setPath(path_);
}

int FileListBox::ListCount() const { return count(); }

QString FileListBox::List(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

bool FileListBox::Selected(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry && entry->isSelected();
}

void FileListBox::setSelected(int index, bool selected)
{
    if (QListWidgetItem* entry = item(index))
        entry->setSelected(selected);
}
