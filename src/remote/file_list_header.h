#pragma once
// The header of the remote file list. Its columns may be as narrow as one
// pixel ("Date Modified" and "File Size" start so), and then their edges lie
// on top of each other: Qt's own header gives the grip of such a column to the
// column before it, so the last one could not be grabbed at all. Here each
// edge has a grip of its own; where edges crowd together the grips line up to
// the right of the line, in column order, as a desktop list offers the hidden
// columns just right of a divider; at the list's right edge, where nothing
// lies right of the line, they line up to its left. A double-click on a grip fits the column to
// its content.

#include <QHeaderView>

class FileListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit FileListHeader(QWidget* parent = nullptr);

    // The column whose edge grip lies at `x` (viewport coordinates), or -1.
    int gripAt(int x) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int resizing_ = -1;  // the column being dragged, -1 when none
    int pressX_ = 0;
    int sizeAtPress_ = 0;
};
