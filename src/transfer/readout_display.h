#pragma once
// Writes an engine's read-outs and bars into the dialog. The counters advance
// after every block; the dialog is repainted from them at most once per
// throttle interval, always on a file's last block, and before a download
// waits for the network, because painting after each 1024-byte block would
// cost more than the transfer. A file's first block is not forced: its name
// was just painted, and in a batch of small files a paint for each first
// block cost as much as the transfer.
// Whatever way the engine leaves (completion, a refusal, an exception), the
// display paints the last state it was given when it goes out of scope, so the
// dialog never shows a stale amount after a failure.

#include "transfer/transfer_readouts.h"

class Form2;

class ReadoutDisplay {
public:
    explicit ReadoutDisplay(Form2& dialog) : dialog_(dialog) {}
    ~ReadoutDisplay();
    ReadoutDisplay(const ReadoutDisplay&) = delete;
    ReadoutDisplay& operator=(const ReadoutDisplay&) = delete;

    // Shows the run's total: lbLeft as the plain number of Kb, lbCelkem formatted.
    void showTotal(const TransferReadouts& readouts);
    // After a block. `timingChanged` is advance()'s result; `now` the block's tick.
    void afterBlock(const TransferReadouts& readouts, bool timingChanged, std::uint32_t now,
                    bool force);
    // The engine is about to wait for the network: what the throttle held
    // back is painted now, so a stalled transfer shows where it stands.
    void beforeWait();
    bool hasUnpainted() const { return unpainted_; }

private:
    void paint(const TransferReadouts& readouts);

    Form2& dialog_;
    // The state of the last block; it outlives this display in the engines.
    const TransferReadouts* latest_ = nullptr;
    bool unpainted_ = false;
    RepaintThrottle throttle_;
    bool timingPending_ = false;
};
