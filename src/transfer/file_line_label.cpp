#include "transfer/file_line_label.h"

#include <QPainter>
#include <QStyle>

FileLineLabel::FileLineLabel(QWidget* parent) : QLabel(parent) {}

void FileLineLabel::setFileLine(const QString& lead, const QString& path, const QString& tail)
{
    lead_ = lead;
    path_ = path;
    tail_ = tail;
    setText(lead + path + tail);
    setToolTip(text());
}

QString FileLineLabel::shownText() const
{
    const QString whole = text();
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width();
    if (metrics.horizontalAdvance(whole) <= room || whole != lead_ + path_ + tail_)
        return whole;

    const qsizetype separator = std::max(path_.lastIndexOf(QLatin1Char('/')), path_.lastIndexOf(QLatin1Char('\\')));
    const QString folder = path_.left(separator + 1);
    const QString name = path_.mid(separator + 1);
    const int fixedWidth = metrics.horizontalAdvance(lead_ + name + tail_);
    const int ellipsisWidth = metrics.horizontalAdvance(QStringLiteral("\u2026"));
    if (!folder.isEmpty() && room - fixedWidth >= ellipsisWidth)
        return lead_ + metrics.elidedText(folder, Qt::ElideMiddle, room - fixedWidth) + name + tail_;
    // Not even the name fits: the size at the end still shows.
    const int pathRoom = room - metrics.horizontalAdvance(lead_ + tail_);
    if (pathRoom >= ellipsisWidth)
        return lead_ + metrics.elidedText(path_, Qt::ElideMiddle, pathRoom) + tail_;
    return metrics.elidedText(whole, Qt::ElideRight, room);
}

void FileLineLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}
