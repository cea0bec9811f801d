#include "remote/rename_delegate.h"

#include "main_window/form1.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

RenameDelegate::RenameDelegate(Form1* window) : QStyledItemDelegate(window), window_(window) {}

void RenameDelegate::install(QTreeWidget* list)
{
    list->setItemDelegateForColumn(0, this);
    // Connected after the view's own slot, so the editor is closed by the time it runs.
    connect(this, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget* editor, QAbstractItemDelegate::EndEditHint) { finishEdit(editor); });
}

QWidget* RenameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    edit_ = Edit{editor, QPersistentModelIndex(index), std::nullopt};
    window_->ListView1_BeforeLabelEdit();
    return editor;
}

void RenameDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const
{
    // Only noted here; the row is written, if at all, after the handler has run.
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && edit_ && edit_->editor == editor)
        edit_->typed = line->text();
}

bool RenameDelegate::eventFilter(QObject* object, QEvent* event)
{
    // Tab would end the edit and move on to edit the next row; here it only
    // ends the edit, as Return does.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void RenameDelegate::finishEdit(QWidget* editor)
{
    if (!edit_ || edit_->editor != editor)
        return;
    const Edit edit = *edit_;
    edit_.reset();

    QTreeWidget* list = window_->ListView1;
    if (!edit.row.isValid())
        return;  // the row went away while the editor was open
    // Rows are editable only while the button's edit lasts.
    QTreeWidgetItem* item = list->topLevelItem(edit.row.row());
    if (item)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (!edit.typed || !item)
        return;  // abandoned (Escape): nothing is sent

    // The handler works on the list's current item, which must be the edited one.
    if (list->currentItem() != item)
        list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);

    int cancel = 0;
    window_->ListView1_AfterLabelEdit(cancel, *edit.typed);

    // After a refresh the edited row is gone and the list shows the server's
    // names; the typed text must not land on whatever row stands there now.
    if (cancel == 0 && edit.row.isValid())
        list->model()->setData(edit.row, *edit.typed, Qt::EditRole);
}
