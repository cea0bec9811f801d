#pragma once
// The in-place editor of the file list's names. It raises the window's
// before/after label-edit handlers and writes the typed name back only when
// the end-of-edit handler keeps it and the edited row has survived: the
// handler may list the folder again, which replaces every row.
//
// The end-of-edit handler runs once the view has closed the editor, not while
// the view is still committing it: the handler shows modal boxes and lists the
// folder, and either may otherwise tear the editor down under the view.

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <optional>

class Form1;
class QTreeWidget;

class RenameDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RenameDelegate(Form1* window);

    // Becomes the editor of column 0 of `list`.
    void install(QTreeWidget* list);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void finishEdit(QWidget* editor);

    struct Edit {
        const QWidget* editor = nullptr;
        QPersistentModelIndex row;
        std::optional<QString> typed;  // set when the edit was committed, not abandoned
    };

    Form1* window_;
    mutable std::optional<Edit> edit_;
};
