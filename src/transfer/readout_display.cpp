#include "transfer/readout_display.h"

#include "transfer/form2.h"
#include "transfer/progress_bar.h"

#include <QLabel>

namespace {

void show(QLabel* label, const QString& text)
{
    label->setText(text);
    // The engine does not yield to the event loop, so paint now.
    label->repaint();
}

} // namespace

void ReadoutDisplay::showTotal(const TransferReadouts& readouts)
{
    dialog_.lbLeft->setVisible(true);
    show(dialog_.lbLeft, formatPlainDecimal(double(readouts.total()) / 1024.0));
    // Painted too: otherwise the raw byte count would stay on show under
    // "Kb to transfer:" until the engine returns.
    show(dialog_.lbCelkem, readouts.totalText());
}

ReadoutDisplay::~ReadoutDisplay()
{
    if (unpainted_ && latest_)
        paint(*latest_);
}

void ReadoutDisplay::afterBlock(const TransferReadouts& readouts, bool timingChanged,
                                std::uint32_t now, bool force)
{
    latest_ = &readouts;
    timingPending_ = timingPending_ || timingChanged;
    unpainted_ = true;
    if (throttle_.due(now, force))
        paint(readouts);
}

void ReadoutDisplay::paint(const TransferReadouts& readouts)
{
    unpainted_ = false;
    show(dialog_.lbFar, readouts.movedText());
    show(dialog_.lbLeft, readouts.leftText());
    if (timingPending_) {
        show(dialog_.lbTime, readouts.timeText());
        show(dialog_.lbSpeed, readouts.speedText());
        show(dialog_.lbTimeLeft, readouts.timeLeftText());
        timingPending_ = false;
    }
    dialog_.ProgressBar1->setValue(readouts.movedFile());
    dialog_.ProgressBar2->setValue(readouts.movedAll());
    dialog_.ProgressBar1->repaint();
    dialog_.ProgressBar2->repaint();
}
