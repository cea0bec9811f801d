#include "transfer/progress_bar.h"

#include <algorithm>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    redraw();
}

void ProgressBar::setValue(std::int64_t value)
{
    value_ = value;
    redraw();
}

void ProgressBar::setMin(std::int64_t minimum)
{
    min_ = minimum;
    redraw();
}

void ProgressBar::setMax(std::int64_t maximum)
{
    max_ = maximum;
    redraw();
}

void ProgressBar::redraw()
{
    // An empty range would make QProgressBar show a busy animation instead.
    if (max_ <= min_) {
        QProgressBar::setRange(0, 1);
        QProgressBar::setValue(0);
        return;
    }
    const std::int64_t span = max_ - min_;
    const std::int64_t offset = std::clamp<std::int64_t>(value_ - min_, 0, span);
    if (span <= scaleLimit) {
        QProgressBar::setRange(0, int(span));
        QProgressBar::setValue(int(offset));
        return;
    }
    QProgressBar::setRange(0, scaleLimit);
    QProgressBar::setValue(int(double(offset) / double(span) * scaleLimit));
}
