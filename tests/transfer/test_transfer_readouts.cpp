// The read-out arithmetic and texts, the repaint throttle, the 64-bit progress
// bar and the entry paths, tested directly.

#include "transfer/progress_bar.h"
#include "transfer/transfer_paths.h"
#include "transfer/transfer_readouts.h"

#include <QtTest>

#include <algorithm>

namespace {
constexpr std::int64_t GiB = 1024LL * 1024 * 1024;
}

class TransferReadoutsTest : public QObject {
    Q_OBJECT
private slots:
    void groupedDecimalShowsGroupsAndAtMostTwoDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("one million two hundred thousand and a half") << 1200000.5 << "1 200 000.5";
        QTest::newRow("two decimals, rounded") << 1500.0 / 1024 << "1.46";
        QTest::newRow("whole number keeps no point") << 2048.0 / 1024 << "2";
        QTest::newRow("rounds up across a group") << 999.999 << "1 000";
        QTest::newRow("a half hundredth rounds away from zero") << 128.0 / 1024 << "0.13";
        QTest::newRow("exactly three digits") << 999.0 << "999";
        QTest::newRow("exactly four digits") << 1000.0 << "1 000";
        QTest::newRow("nine digits and two decimals") << 123456789.12 << "123 456 789.12";
        QTest::newRow("below a hundredth") << 1.0 / 1024 << "0";
        QTest::newRow("negative") << -1536.0 / 1024 << "-1.5";
        QTest::newRow("negative rounding to zero") << -0.001 << "0";
        QTest::newRow("five GiB in Kb") << double(5 * GiB + 512) / 1024 << "5 242 880.5";
        QTest::newRow("beyond nine digits") << 12345678901.0 << "12 345 678 901";
    }
    void groupedDecimalShowsGroupsAndAtMostTwoDecimals()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatGroupedDecimal(value), text);
    }

    void wholeAndShortFormats()
    {
        QCOMPARE(formatGroupedWhole(0), QStringLiteral("0"));
        QCOMPARE(formatGroupedWhole(12.4), QStringLiteral("12"));
        QCOMPARE(formatGroupedWhole(2.5), QStringLiteral("3"));
        QCOMPARE(formatGroupedWhole(999.5), QStringLiteral("1 000"));
        QCOMPARE(formatGroupedWhole(1234567.0), QStringLiteral("1 234 567"));
        QCOMPARE(formatShortDecimal(1234.567), QStringLiteral("1234.57"));
        QCOMPARE(formatShortDecimal(0.5), QStringLiteral("0.5"));
        QCOMPARE(formatShortDecimal(3.0), QStringLiteral("3"));
        QCOMPARE(formatShortDecimal(1234567.891), QStringLiteral("1234567.89"));
    }

    void plainDecimalShowsEveryDigitItNeeds()
    {
        QCOMPARE(formatPlainDecimal(2048.0 / 1024), QStringLiteral("2"));
        QCOMPARE(formatPlainDecimal(1500.0 / 1024), QStringLiteral("1.46484375"));
        QCOMPARE(formatPlainDecimal(1.0 / 1024), QStringLiteral("0.0009765625"));
        QCOMPARE(formatPlainDecimal(0), QStringLiteral("0"));
        QCOMPARE(formatPlainDecimal(double(5 * GiB + 1) / 1024), QStringLiteral("5242880.0009765625"));
    }

    void speedIsTheMeanOfTheFileRateAndThePreviousSpeed()
    {
        // 10 000 bytes in one second: 10 kilobytes per second, halved against 0.
        QCOMPARE(nextSpeed(0.0f, 10000, 1000), 5.0f);
        QCOMPARE(nextSpeed(5.0f, 10000, 1000), 7.5f);
        // With a steady rate the speed halves its gap to that rate each time.
        float speed = 0;
        for (int i = 0; i < 20; ++i)
            speed = nextSpeed(speed, 4000, 1000);
        QVERIFY(qAbs(speed - 4.0f) < 0.0001f);
    }

    void readoutsFollowOneFileBlockByBlock()
    {
        TransferReadouts readouts(3000);
        QCOMPARE(readouts.totalText(), QStringLiteral("2.93 Kb"));
        QCOMPARE(readouts.leftText(), QStringLiteral("2.93 Kb"));
        readouts.startFile(1000);

        // A block within the file's first tick counts bytes but cannot time them.
        QVERIFY(!readouts.advance(1024, 1000));
        QCOMPARE(readouts.movedText(), QStringLiteral("1 Kb"));
        QVERIFY(!readouts.hasTiming());

        QVERIFY(readouts.advance(1024, 3000));
        QCOMPARE(readouts.speedText(), QStringLiteral("0.51 Kbps"));  // (2.048 / 2 + 0) / 2
        QCOMPARE(readouts.timeText(), QStringLiteral("2 s"));
        QCOMPARE(readouts.leftText(), QStringLiteral("0.93 Kb"));
        QCOMPARE(readouts.timeLeftText(), QStringLiteral("2 s"));    // 0.952 / 0.512

        QVERIFY(readouts.advance(952, 5000));
        QCOMPARE(readouts.movedFile(), 3000);
        QCOMPARE(readouts.speedText(), QStringLiteral("0.63 Kbps"));  // (0.75 + 0.512) / 2
        QCOMPARE(readouts.leftText(), QStringLiteral("0 Kb"));
        QCOMPARE(readouts.timeLeftText(), QStringLiteral("0 s"));
        QCOMPARE(readouts.timeText(), QStringLiteral("4 s"));
    }

    // Two files listed at 3000 bytes each whose real lengths differ: the total
    // follows them, so nothing left reads below 0 and moved never passes it.
    void filesChangedSinceTheirListingKeepLeftAndMovedWithinTheTotal_data()
    {
        QTest::addColumn<std::int64_t>("firstReal");
        QTest::addColumn<std::int64_t>("secondReal");
        QTest::newRow("first grew") << std::int64_t(5000) << std::int64_t(3000);
        QTest::newRow("first shrank") << std::int64_t(1000) << std::int64_t(3000);
        QTest::newRow("both grew") << std::int64_t(4000) << std::int64_t(9000);
        QTest::newRow("both emptied") << std::int64_t(0) << std::int64_t(0);
    }

    void filesChangedSinceTheirListingKeepLeftAndMovedWithinTheTotal()
    {
        QFETCH(std::int64_t, firstReal);
        QFETCH(std::int64_t, secondReal);
        TransferReadouts readouts(6000);
        std::uint32_t now = 0;
        for (const std::int64_t real : {firstReal, secondReal}) {
            readouts.startFile(now, 3000);
            for (std::int64_t moved = 0; moved < real; moved += 1024) {
                (void)readouts.advance(std::min<std::int64_t>(1024, real - moved), now += 10);
                QVERIFY(readouts.movedAll() <= readouts.total());
                QVERIFY(readouts.movedFile() <= readouts.fileSize());
                QVERIFY2(!readouts.leftText().startsWith(QLatin1Char('-')), qPrintable(readouts.leftText()));
            }
            readouts.finishFile();
            QCOMPARE(readouts.fileSize(), real);
        }
        QCOMPARE(readouts.total(), firstReal + secondReal);
        QCOMPARE(readouts.leftText(), QStringLiteral("0 Kb"));
    }

    void emptyFileLeavesTimeAndSpeedAlone()
    {
        TransferReadouts readouts(1000);
        readouts.startFile(0);
        QVERIFY(readouts.advance(1000, 2000));
        const QString speed = readouts.speedText();
        readouts.finishFile();
        readouts.startFile(5000);
        QVERIFY(!readouts.advance(0, 9000));
        QCOMPARE(readouts.speedText(), speed);
        QCOMPARE(readouts.timeText(), QStringLiteral("2 s"));
        QCOMPARE(readouts.movedText(), QStringLiteral("0.98 Kb"));
    }

    void resumedBytesCountAsMovedButNotTowardsTheSpeed()
    {
        TransferReadouts readouts(10000);
        readouts.startFile(0);
        readouts.resumeFile(9000);
        QCOMPARE(readouts.movedFile(), std::int64_t(9000));
        QVERIFY(!readouts.advance(0, 1000));  // nothing moved yet: no rate to tell
        QVERIFY(readouts.advance(1000, 1000));
        QCOMPARE(readouts.speedText(), QStringLiteral("0.5 Kbps"));  // (1 KB/s + 0) / 2
        QCOMPARE(readouts.leftText(), QStringLiteral("0 Kb"));
    }

    void elapsedTimeCoversTheWholeBatch()
    {
        TransferReadouts readouts(3000);
        readouts.startFile(0);
        QVERIFY(readouts.advance(1000, 1500));
        readouts.finishFile();
        readouts.startFile(10000);
        QVERIFY(readouts.advance(1000, 12000));
        QCOMPARE(readouts.timeText(), QStringLiteral("4 s"));  // 2 + 1.5
        readouts.finishFile();
        readouts.startFile(20000);
        QVERIFY(readouts.advance(1000, 21000));
        // 1 + 2 + 1.5: every finished file counts, not only the one before.
        QCOMPARE(readouts.timeText(), QStringLiteral("5 s"));
        QCOMPARE(readouts.carriedSeconds(), 3.5);
    }

    void tickCountWrapDoesNotBreakTiming()
    {
        TransferReadouts readouts(2048);
        readouts.startFile(0xFFFFFF00u);
        QVERIFY(readouts.advance(1024, 0x00000100u));  // 512 ms later
        QCOMPARE(readouts.timeText(), QStringLiteral("1 s"));
        QCOMPARE(readouts.speedText(), QStringLiteral("1 Kbps"));  // 2 KB/s halved
    }

    void filesBeyondFourGibibytesCountExactly()
    {
        const std::int64_t total = 5 * GiB + 512;
        TransferReadouts readouts(total);
        QCOMPARE(readouts.totalText(), QStringLiteral("5 242 880.5 Kb"));
        readouts.startFile(0);
        QVERIFY(readouts.advance(4 * GiB + 1, 2000));
        QCOMPARE(readouts.movedAll(), 4 * GiB + 1);
        QCOMPARE(readouts.movedText(), QStringLiteral("4 194 304 Kb"));
        QCOMPARE(readouts.leftText(), QStringLiteral("1 048 576.5 Kb"));
        QCOMPARE(readouts.timeLeftText(), QStringLiteral("1 s"));
        QVERIFY(readouts.advance(GiB - 1 + 512, 4000));
        QCOMPARE(readouts.movedAll(), total);
        QCOMPARE(readouts.leftText(), QStringLiteral("0 Kb"));
        QCOMPARE(readouts.timeText(), QStringLiteral("4 s"));
    }

    void throttleRepaintsAtMostEveryIntervalUnlessForced()
    {
        constexpr std::uint32_t interval = RepaintThrottle::intervalMs;
        RepaintThrottle throttle;
        QVERIFY(throttle.due(100, false));  // the first is always due
        QVERIFY(!throttle.due(105, false));
        QVERIFY(!throttle.due(100 + interval - 1, false));
        QVERIFY(throttle.due(100 + interval, false));
        QVERIFY(throttle.due(101 + interval, true));
        QVERIFY(!throttle.due(102 + interval, false));
        RepaintThrottle wrapping;
        QVERIFY(wrapping.due(0xFFFFFFF8u, false));
        QVERIFY(!wrapping.due(0x00000002u, false));
        QVERIFY(wrapping.due(interval - 8, false));
    }

    void progressBarKeeps64BitValuesAndDrawsThemScaled()
    {
        ProgressBar bar;
        bar.setMin(0);
        bar.setMax(6 * GiB);
        bar.setValue(3 * GiB);
        QCOMPARE(bar.Value(), 3 * GiB);
        QCOMPARE(bar.Max(), 6 * GiB);
        QVERIFY(qAbs(double(bar.value()) / bar.maximum() - 0.5) < 1e-6);

        // Past the maximum: the value is kept as set and the bar is drawn full.
        bar.setValue(7 * GiB);
        QCOMPARE(bar.Value(), 7 * GiB);
        QCOMPARE(bar.value(), bar.maximum());

        // Small ranges are drawn exactly.
        bar.setMax(1025);
        bar.setValue(1025);
        QCOMPARE(bar.maximum(), 1025);
        QCOMPARE(bar.value(), 1025);

        // An empty range (a batch of empty files) must not turn into a busy animation.
        bar.setMax(0);
        bar.setValue(std::int64_t(0));
        QVERIFY(bar.maximum() > bar.minimum());
        QCOMPARE(bar.value(), 0);
    }

    void entriesAndNames()
    {
        QCOMPARE(folderPrefix(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(folderPrefix(QStringLiteral("/tmp/x")), QStringLiteral("/tmp/x/"));
        QCOMPARE(folderPrefix(QStringLiteral("/tmp/x/")), QStringLiteral("/tmp/x/"));
        QCOMPARE(uploadRemoteName(QStringLiteral("/data/report.txt")), QStringLiteral("report.txt"));
        QCOMPARE(uploadRemoteName(QStringLiteral("/a.txt")), QStringLiteral("a.txt"));
        QCOMPARE(uploadRemoteName(QStringLiteral("back\\slash.txt")), QStringLiteral("back\\slash.txt"));

        QVERIFY(isPlainLocalName("report.txt"));
        QVERIFY(isPlainLocalName("..hidden"));
        QVERIFY(isPlainLocalName("a\\b"));
        QVERIFY(!isPlainLocalName(""));
        QVERIFY(!isPlainLocalName("."));
        QVERIFY(!isPlainLocalName(".."));
        QVERIFY(!isPlainLocalName("../x"));
        QVERIFY(!isPlainLocalName("a/b"));
        QVERIFY(!isPlainLocalName("/etc/passwd"));
        QVERIFY(!isPlainLocalName(QByteArray("a\0b", 3)));
    }
};

QTEST_MAIN(TransferReadoutsTest)
#include "test_transfer_readouts.moc"
