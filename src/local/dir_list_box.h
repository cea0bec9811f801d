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

    // The folder a row stands for ("" outside the list).
    QString rowPath(int row) const;
    // How deep a row is drawn: 0 for "/", one more for each level below it.
    int rowLevel(int row) const;
    // Opens the folder of `row`, as a double-click or Enter on it does.
    void openRow(int row);

    // Dot-folders are left out unless asked for; changing it fills the list again.
    bool showsHidden() const { return showHidden_; }
    void setShowHidden(bool show);

    static constexpr int PathRole = Qt::UserRole;
    static constexpr int LevelRole = Qt::UserRole + 1;

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();

    QString path_;
    bool showHidden_ = false;
};

// `path` made absolute and clean: no "." or "..", no doubled or trailing "/"
// except for "/" itself. "" stays "".
QString normalizedLocalPath(const QString& path);
// True when `path` is a folder whose entries can be listed.
bool isReadableFolder(const QString& path);
// Names in the order of the classic lists: by name, case ignored (ties broken
// by case so the order is always the same).
QStringList sortedByName(QStringList names);
