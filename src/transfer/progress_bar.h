#pragma once
// A progress bar with 64-bit value, minimum and maximum, so files beyond the
// int range show right. The values are kept as set; the drawn bar is scaled to
// the int range and a value past the maximum shows a full bar.

#include <QProgressBar>

#include <cstdint>

class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    std::int64_t Value() const { return value_; }
    std::int64_t Min() const { return min_; }
    std::int64_t Max() const { return max_; }
    void setValue(std::int64_t value);
    void setMin(std::int64_t minimum);
    void setMax(std::int64_t maximum);

    // The drawn scale's maximum; the drawn value is QProgressBar::value().
    static constexpr int scaleLimit = 1 << 30;

private:
    void redraw();

    std::int64_t value_ = 0;
    std::int64_t min_ = 0;
    std::int64_t max_ = 100;
};
