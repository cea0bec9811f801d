#pragma once
// The folder list: the current folder's path and its sub-folders; a
// double-click opens a folder.

#include <QListWidget>

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    // The current folder, absolute, without a trailing separator except for "/".
    QString Path() const;
    // Moves to `path`; false (and nothing changed) when it cannot be read.
    bool setPath(const QString& path);
signals:
    void Change();
};
