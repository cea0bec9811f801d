#pragma once
// The remote folder tree. A node chosen by the keyboard (arrows, Home, End,
// Page keys, typing a name) is announced like a click, so the highlighted
// folder is always the one the list shows. A double-click on a node opens it
// and leaves it expanded: its first click lists it, the second must not fold
// away the sub-folders just read. A click on the blank space below the
// nodes leaves the selection alone: the selected node is the folder that
// every refresh after a change on the server lists again.

#include <QTreeWidget>

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

signals:
    // The selected node changed under the keyboard.
    void nodeChosenByKeyboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
