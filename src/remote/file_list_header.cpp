#include "remote/file_list_header.h"

#include <QMouseEvent>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <vector>

FileListHeader::FileListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

int FileListHeader::gripAt(int x) const
{
    const int margin = std::max(2, style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this));
    struct Grip {
        int logical, position, edge, start, end;
    };
    std::vector<Grip> grips;
    int previousEnd = INT_MIN;
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical))
            continue;
        const int position = sectionViewportPosition(logical);
        const int edge = position + sectionSize(logical);
        const int start = std::max(edge - margin, previousEnd);
        const int end = std::max(edge + margin, start + margin);
        grips.push_back({logical, position, edge, start, end});
        previousEnd = end;
    }
    // Lined up right of their edge, the grips of narrow columns at the list's
    // right edge would lie beyond it, out of reach: they line up leftwards from
    // that edge instead. Columns further right are reached by scrolling.
    int limit = viewport()->width();
    for (auto grip = grips.rbegin(); grip != grips.rend() && grip->end > limit; ++grip) {
        if (grip->position > limit || grip->edge > limit + margin)
            continue;
        const int shift = grip->end - limit;
        grip->start -= shift;
        grip->end -= shift;
        limit = grip->start;
    }
    for (const Grip& grip : grips)
        if (x >= grip.start && x < grip.end)
            return sectionResizeMode(grip.logical) == Interactive ? grip.logical : -1;
    return -1;
}

void FileListHeader::mousePressEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    const int grip = event->button() == Qt::LeftButton ? gripAt(x) : -1;
    if (grip < 0) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    resizing_ = grip;
    pressX_ = x;
    sizeAtPress_ = sectionSize(grip);
    event->accept();
}

void FileListHeader::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    if (resizing_ >= 0) {
        resizeSection(resizing_, std::max(minimumSectionSize(), sizeAtPress_ + x - pressX_));
        event->accept();
        return;
    }
    QHeaderView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton) {
        if (gripAt(x) >= 0)
            setCursor(Qt::SplitHCursor);
        else
            unsetCursor();
    }
}

void FileListHeader::mouseReleaseEvent(QMouseEvent* event)
{
    if (resizing_ >= 0) {
        resizing_ = -1;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void FileListHeader::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int grip = event->button() == Qt::LeftButton ? gripAt(event->position().toPoint().x()) : -1;
    if (grip < 0) {
        QHeaderView::mouseDoubleClickEvent(event);
        return;
    }
    // The list view answers this by fitting the column to its content.
    emit sectionHandleDoubleClicked(grip);
    event->accept();
}
