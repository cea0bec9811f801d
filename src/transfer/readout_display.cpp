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

// Paints every read-out and bar whose content changed, in one pass over the
// dialog: a repaint per widget costs a paint pass and a flush to the screen
// each, which at this rate is more than the transfer's own work. An immediate
// repaint of one widget paints everything pending in its window; input stays
// queued.
void paintChangesNow(QWidget* changed)
{
    changed->repaint();
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

void ReadoutDisplay::beforeWait()
{
    if (unpainted_ && latest_)
        paint(*latest_);
}

void ReadoutDisplay::paint(const TransferReadouts& readouts)
{
    unpainted_ = false;
    // setText and setValue schedule a paint only when the content changed.
    dialog_.lbFar->setText(readouts.movedText());
    dialog_.lbLeft->setText(readouts.leftText());
    if (timingPending_) {
        dialog_.lbTime->setText(readouts.timeText());
        dialog_.lbSpeed->setText(readouts.speedText());
        dialog_.lbTimeLeft->setText(readouts.timeLeftText());
        timingPending_ = false;
    }
    // A file that changed since its listing moves the total and its own size.
    dialog_.lbCelkem->setText(readouts.totalText());
    if (readouts.fileSize() >= 0)
        dialog_.ProgressBar1->setMax(readouts.fileSize());
    dialog_.ProgressBar2->setMax(readouts.total());
    dialog_.ProgressBar1->setValue(readouts.movedFile());
    dialog_.ProgressBar2->setValue(readouts.movedAll());
    paintChangesNow(dialog_.lbFar);
}
