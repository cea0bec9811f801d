#pragma once
// The arithmetic and texts of the Data Transfer dialog's read-outs, shared by
// both engines. Pure: the engines feed bytes and tick counts in and write the
// resulting texts into their labels.

#include <QString>

#include <cstdint>

// "### ### ###.##": groups of three separated by single spaces, rounded to two
// decimals, decimals that are zero left out (1200000.5 gives "1 200 000.5").
QString formatGroupedDecimal(double value);
// "### ###": rounded to a whole number, groups of three.
QString formatGroupedWhole(double value);
// "#.##": rounded to two decimals, no grouping, zero decimals left out.
QString formatShortDecimal(double value);
// A plain decimal with every digit it needs (1500 / 1024 gives "1.46484375").
QString formatPlainDecimal(double value);

// The smoothed speed in kilobytes (1000 bytes) per second: the mean of the
// file's average rate so far and the previous value. `elapsedMs` is not 0.
float nextSpeed(float previous, std::int64_t movedFile, std::int64_t elapsedMs);

// The read-out state of one run of an engine.
class TransferReadouts {
public:
    explicit TransferReadouts(std::int64_t total = 0) : total_(total) {}

    // A new file starts at tick `now`. `listedSize` is what the batch counted
    // for it: a file that changed since is moved whole, and the total follows
    // what it really holds, so nothing left ever reads below 0 nor the moved
    // bytes past the total. A negative size leaves the total alone.
    void startFile(std::uint32_t now, std::int64_t listedSize = -1);
    // The size counted for this file now: the listed one, or more once more came.
    std::int64_t fileSize() const { return fileCounted_; }
    // The file continues a partial copy: its first `bytes` count as moved,
    // but not towards the speed, which only what moves now can tell.
    void resumeFile(std::int64_t bytes);
    // `bytes` more have moved, measured at tick `now`. Returns true when the
    // time, speed and remaining-time read-outs got new values.
    bool advance(std::int64_t bytes, std::uint32_t now);
    // The file is done: its time is carried into the elapsed read-out, and
    // the total loses what the file turned out not to hold. True when the
    // total changed, so the read-outs need painting again.
    bool finishFile();

    std::int64_t total() const { return total_; }
    std::int64_t movedAll() const { return movedAll_; }
    std::int64_t movedFile() const { return movedFile_; }
    float speed() const { return speed_; }
    double carriedSeconds() const { return carriedSeconds_; }
    bool hasTiming() const { return hasTiming_; }

    QString totalText() const;     // lbCelkem
    QString movedText() const;     // lbFar
    QString leftText() const;      // lbLeft
    // These three describe the last measurement; meaningful once hasTiming().
    QString timeText() const;      // lbTime
    QString speedText() const;     // lbSpeed
    QString timeLeftText() const;  // lbTimeLeft

private:
    void countMoved(std::int64_t bytes);

    std::int64_t total_ = 0;
    std::int64_t movedAll_ = 0;
    float speed_ = 0;
    double carriedSeconds_ = 0;

    std::int64_t movedFile_ = 0;
    std::int64_t heldFile_ = 0;       // of movedFile_, bytes held from before this run
    std::int64_t fileCounted_ = -1;   // what the total counts for this file; -1: not followed
    std::uint32_t startTick_ = 0;
    std::int64_t fileElapsedMs_ = 0;  // at this file's last measurement, 0 if none

    double elapsedSeconds_ = 0;       // fileElapsedMs_ in seconds

    // What the last measurement saw; the time read-outs are worked out from it.
    struct Measurement {
        double fileSeconds = 0;
        double carriedSeconds = 0;
        std::int64_t bytesLeft = 0;
    };
    bool hasTiming_ = false;
    Measurement measured_;
};

// Limits how often an engine repaints: at most once per interval of ticks, and
// always when forced (a file's last block). Ten times a second is
// as often as anyone can read a changing figure; painting the dialog's bars
// and frames at the screen's rate cost a fast upload a tenth of its speed.
class RepaintThrottle {
public:
    static constexpr std::uint32_t intervalMs = 100;
    // True when a repaint is due at tick `now`; records it as done.
    bool due(std::uint32_t now, bool force);

private:
    bool painted_ = false;
    std::uint32_t lastTick_ = 0;
};
