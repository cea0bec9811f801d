#include "transfer/transfer_readouts.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>

namespace {

// The units a read-out shows its figure in.
struct Units {
    Q_DECLARE_TR_FUNCTIONS(Form2)
};

QString groupThousands(const QString& digits)
{
    QString grouped;
    const qsizetype length = digits.size();
    for (qsizetype i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0)
            grouped += QLatin1Char(' ');
        grouped += digits.at(i);
    }
    return grouped;
}

// Splits |value| rounded to two decimals (halves away from zero) into its
// whole digits and its hundredths.
void splitHundredths(double value, QString& wholeDigits, int& hundredths)
{
    const double magnitude = std::abs(value);
    if (magnitude < 1e13) {
        const long long scaled = std::llround(magnitude * 100.0);
        wholeDigits = QString::number(scaled / 100);
        hundredths = int(scaled % 100);
        return;
    }
    // Far beyond any transfer; printf's rounding is good enough there.
    const QString text = QString::number(magnitude, 'f', 2);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    wholeDigits = text.left(point);
    hundredths = text.mid(point + 1).toInt();
}

QString decimalsText(int hundredths)
{
    if (hundredths == 0)
        return {};
    if (hundredths % 10 == 0)
        return QLatin1Char('.') + QString::number(hundredths / 10);
    return QLatin1Char('.') + QString::number(hundredths).rightJustified(2, QLatin1Char('0'));
}

QString twoDecimals(double value, bool grouped)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString whole;
    int hundredths = 0;
    splitHundredths(value, whole, hundredths);
    QString text = (grouped ? groupThousands(whole) : whole) + decimalsText(hundredths);
    if (value < 0 && text != QLatin1String("0"))
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace

QString formatGroupedDecimal(double value) { return twoDecimals(value, true); }

QString formatShortDecimal(double value) { return twoDecimals(value, false); }

QString formatGroupedWhole(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    const double rounded = std::round(std::abs(value));
    const QString digits = rounded < 9e18 ? QString::number(static_cast<long long>(rounded))
                                          : QString::number(rounded, 'f', 0);
    QString text = groupThousands(digits);
    if (value < 0 && rounded != 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString formatPlainDecimal(double value)
{
    // A byte count divided by 1024 has at most ten decimals.
    QString text = QString::number(value, 'f', 10);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

namespace {

// nextSpeed with the elapsed time already in seconds: the same arithmetic, so
// the same value, without dividing the unchanged tick count again per block.
float speedAfter(float previous, std::int64_t movedFile, double elapsedSeconds)
{
    const double rate = (double(movedFile) / 1000.0) / elapsedSeconds;
    return float((rate + double(previous)) / 2.0);
}

} // namespace

float nextSpeed(float previous, std::int64_t movedFile, std::int64_t elapsedMs)
{
    return speedAfter(previous, movedFile, double(elapsedMs) / 1000.0);
}

void TransferReadouts::startFile(std::uint32_t now, std::int64_t listedSize)
{
    fileCounted_ = listedSize;
    movedFile_ = 0;
    heldFile_ = 0;
    startTick_ = now;
    fileElapsedMs_ = 0;
    elapsedSeconds_ = 0;
}

void TransferReadouts::countMoved(std::int64_t bytes)
{
    movedFile_ += bytes;
    movedAll_ += bytes;
    // A file that grew since it was listed: the total takes in the growth.
    if (fileCounted_ >= 0 && movedFile_ > fileCounted_) {
        total_ += movedFile_ - fileCounted_;
        fileCounted_ = movedFile_;
    }
}

void TransferReadouts::resumeFile(std::int64_t bytes)
{
    countMoved(bytes);
    heldFile_ += bytes;
}

bool TransferReadouts::advance(std::int64_t bytes, std::uint32_t now)
{
    countMoved(bytes);
    if (movedFile_ == heldFile_)
        return false;
    // Unsigned difference: right across the tick count's wrap.
    const std::int64_t elapsed = std::uint32_t(now - startTick_);
    if (elapsed == 0)
        return false;
    // A fast link moves a thousand blocks within one tick: the tick count in
    // seconds is worked out once per tick, and the time read-outs only when
    // they are painted, from what this measurement saw.
    if (elapsed != fileElapsedMs_) {
        fileElapsedMs_ = elapsed;
        elapsedSeconds_ = double(elapsed) / 1000.0;
    }
    speed_ = speedAfter(speed_, movedFile_ - heldFile_, elapsedSeconds_);
    measured_ = Measurement{elapsedSeconds_, carriedSeconds_, total_ - movedAll_};
    hasTiming_ = true;
    return true;
}

bool TransferReadouts::finishFile()
{
    // Added, not replaced, so the elapsed read-out covers the whole batch.
    carriedSeconds_ += double(fileElapsedMs_) / 1000.0;
    fileElapsedMs_ = 0;
    elapsedSeconds_ = 0;
    if (fileCounted_ <= movedFile_)
        return false;
    total_ -= fileCounted_ - movedFile_;
    fileCounted_ = movedFile_;
    return true;
}

QString TransferReadouts::totalText() const
{
    return Units::tr("%1 Kb").arg(formatGroupedDecimal(double(total_) / 1024.0));
}

QString TransferReadouts::movedText() const
{
    return Units::tr("%1 Kb").arg(formatGroupedDecimal(double(movedAll_) / 1024.0));
}

QString TransferReadouts::leftText() const
{
    return Units::tr("%1 Kb").arg(formatGroupedDecimal(double(total_ - movedAll_) / 1024.0));
}

QString TransferReadouts::timeText() const
{
    return Units::tr("%1 s").arg(formatGroupedWhole(measured_.fileSeconds + measured_.carriedSeconds));
}

QString TransferReadouts::speedText() const
{
    return Units::tr("%1 Kbps").arg(formatShortDecimal(speed_));
}

QString TransferReadouts::timeLeftText() const
{
    return Units::tr("%1 s").arg(formatGroupedWhole((double(measured_.bytesLeft) / 1000.0) / double(speed_)));
}

bool RepaintThrottle::due(std::uint32_t now, bool force)
{
    if (!force && painted_ && std::uint32_t(now - lastTick_) < intervalMs)
        return false;
    painted_ = true;
    lastTick_ = now;
    return true;
}
