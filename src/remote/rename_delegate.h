#pragma once
// The in-place editor of the file list's names. It raises the window's
// before/after label-edit handlers, and writes the typed name back only when
// the end-of-edit handler keeps it and the edited row has survived: the
// handler may list the folder again, which replaces every row.

#include <QStyledItemDelegate>

class Form1;

class RenameDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    RenameDelegate(Form1* window, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    Form1* window_;
    // A focus change while the end-of-edit handler shows a box must not end the same edit twice.
    mutable bool finishing_ = false;
};
