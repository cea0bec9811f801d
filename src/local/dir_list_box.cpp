#include "local/dir_list_box.h"

// Placeholder until this part is built.
DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {}
QString DirListBox::Path() const { return QStringLiteral("/"); }
bool DirListBox::setPath(const QString&) { return true; }
