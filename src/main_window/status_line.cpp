#include "main_window/status_line.h"

#include <QPainter>
#include <QStyle>

StatusLine::StatusLine(QWidget* parent) : QLabel(parent)
{
    // Remote names are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
}

QRect StatusLine::textArea() const
{
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

QString StatusLine::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, textArea().width());
}

void StatusLine::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    style()->drawItemText(&painter, textArea(), int(QStyle::visualAlignment(layoutDirection(), alignment())),
                          palette(), isEnabled(), shownText(), foregroundRole());
}
