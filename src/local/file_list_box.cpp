#include "local/file_list_box.h"

// Placeholder until this part is built.
FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {}
QString FileListBox::Path() const { return path_; }
void FileListBox::setPath(const QString& path) { path_ = path; }
int FileListBox::ListCount() const { return count(); }
QString FileListBox::List(int index) const { return item(index)->text(); }
bool FileListBox::Selected(int index) const { return item(index)->isSelected(); }
void FileListBox::setSelected(int index, bool selected) { item(index)->setSelected(selected); }
