#pragma once
// Writes an engine's read-outs and bars into the dialog. The counters advance
// after every block; the dialog is repainted from them at most once per
// throttle interval, and always on a file's first and last block, because
// painting after each 1024-byte block would cost more than the transfer.

#include "transfer/transfer_readouts.h"

class Form2;

class ReadoutDisplay {
public:
    explicit ReadoutDisplay(Form2& dialog) : dialog_(dialog) {}

    // Shows the run's total: lbLeft as the plain number of Kb, lbCelkem formatted.
    void showTotal(const TransferReadouts& readouts);
    // After a block. `timingChanged` is advance()'s result; `now` the block's tick.
    void afterBlock(const TransferReadouts& readouts, bool timingChanged, std::uint32_t now,
                    bool force);

private:
    Form2& dialog_;
    RepaintThrottle throttle_;
    bool timingPending_ = false;
};
