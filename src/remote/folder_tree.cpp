#include "remote/folder_tree.h"

#include <QMouseEvent>

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setExpandsOnDoubleClick(false);
}

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    const QList<QTreeWidgetItem*> before = selectedItems();
    QTreeWidget::keyPressEvent(event);
    const QList<QTreeWidgetItem*> after = selectedItems();
    if (!after.isEmpty() && after != before)
        emit nodeChosenByKeyboard();
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    if (!itemAt(event->position().toPoint())) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTreeWidget::mousePressEvent(event);
}
