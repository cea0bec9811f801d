#pragma once
// The file list: the ordinary (not hidden) files of one folder, extended
// multiple selection.

#include <QListWidget>

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString Path() const;
    void setPath(const QString& path);  // reads the folder again, even if unchanged
    int ListCount() const;
    QString List(int index) const;       // bare file name, index from 0; "" outside the list
    bool Selected(int index) const;      // false outside the list
    void setSelected(int index, bool selected);
    // Dot-files are left out unless asked for; changing it reads the folder again.
    bool showsHidden() const { return showHidden_; }
    void setShowHidden(bool show);
private:
    QString path_;
    bool showHidden_ = false;
};
