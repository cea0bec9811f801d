#include "remote/rename_delegate.h"

#include "main_window/form1.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QTreeWidget>

RenameDelegate::RenameDelegate(Form1* window, QObject* parent)
    : QStyledItemDelegate(parent), window_(window)
{
}

QWidget* RenameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    window_->ListView1_BeforeLabelEdit();
    return editor;
}

void RenameDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || finishing_ || !index.isValid())
        return;

    // The handler works on the list's current item, which must be the edited one.
    QTreeWidget* list = window_->ListView1;
    if (list->currentIndex() != index)
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);

    // Taken before the handler runs: the refresh inside it may reset the model
    // and the editor with it.
    const QString typed = line->text();
    const QPersistentModelIndex edited(index);

    int cancel = 0;
    finishing_ = true;
    window_->ListView1_AfterLabelEdit(cancel, typed);
    finishing_ = false;

    // After a refresh the edited row is gone and the list shows the server's
    // names; the typed text must not land on whatever row stands there now.
    if (cancel == 0 && edited.isValid())
        model->setData(edited, typed, Qt::EditRole);
}
