// Downloads through "Download File" and the Data Transfer dialog, against the
// real test server and real local files.

#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"
#include "transfer/progress_bar.h"
#include "transfer_test_helpers.h"

#include <QDateTime>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString completed = QStringLiteral("Data transfer completed.");
const QString reportAt104 = QStringLiteral("in Corvell2021/08/31.Form2.PushButton1_Click at line 104");

bool anyContains(const QStringList& texts, const QString& part)
{
    for (const QString& text : texts)
        if (text.contains(part))
            return true;
    return false;
}

std::vector<std::string> toOptions(const QStringList& texts)
{
    std::vector<std::string> options;
    for (const QString& text : texts)
        options.push_back(text.toStdString());
    return options;
}

// Start, then cancel whatever the run left open.
void startThenCancel(Form2& dialog)
{
    pressStart(dialog);
    pressCancel(dialog);
}

// Points the local lists at a folder the dialog then removes before starting,
// so the local file cannot be created.
QString vanishingFolder(TransferSetup& setup)
{
    const QString gone = setup.localPath("gone");
    QDir().mkpath(gone);
    setup.window.dirLocalDir->setPath(gone);
    return gone;
}

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void downloadsEmptyFullBlockAndPartialBlockFilesExactly()
    {
        TransferSetup setup({{"empty.bin", 0}, {"block.bin", 1024}, {"partial.bin", 2500}});

        const DialogRun run = setup.download({"empty.bin", "block.bin", "partial.bin"}, pressStart);

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(setup.localPath("empty.bin")), QByteArray());
        QCOMPARE(readLocal(setup.localPath("block.bin")), pattern(1024));
        QCOMPARE(readLocal(setup.localPath("partial.bin")), pattern(2500));
        QCOMPARE(setup.window.lblStatus->text(), QStringLiteral("OK"));
        QCOMPARE(folderEntries(setup.local.path()), (QStringList{"block.bin", "empty.bin", "partial.bin"}));
        // The local list is read again afterwards and shows the new files.
        QCOMPARE(setup.window.filLocalFile->ListCount(), 3);
        QVERIFY(!setup.window.findChild<Form2*>());
        QCOMPARE(commandsSent(setup.server, "RETR").size(), 3);
    }

    void readoutsAndBarsEndCompleteWithAFakeClock()
    {
        TransferSetup setup({{"partial.bin", 2500}});
        FakeClock clock;
        clock.stepPerRead = 100;

        QStringList seen;
        setup.dialogs.onBox = [&](const RecordedBox&) {
            auto* dialog = setup.window.findChild<Form2*>();
            seen << dialog->lbCelkem->text() << dialog->lbFar->text() << dialog->lbLeft->text()
                 << dialog->lbTime->text() << dialog->lbSpeed->text() << dialog->lbTimeLeft->text()
                 << dialog->Label1->text() << dialog->Label2->text() << dialog->Label4->text()
                 << dialog->Label7->text()
                 << QString::number(dialog->ProgressBar1->Value()) << QString::number(dialog->ProgressBar1->Max())
                 << QString::number(dialog->ProgressBar2->Value()) << QString::number(dialog->ProgressBar2->Max())
                 << (dialog->lbLeft->isVisible() ? "visible" : "hidden");
        };
        setup.download({"partial.bin"}, pressStart);

        // Reads of 1024, 1024, 452 and 0 bytes, one tick reading 100 ms apart each:
        // speeds 5.12, 7.68, 8.0067, then 7.1283 after the empty read.
        QCOMPARE(seen, (QStringList{"2.44 Kb", "2.44 Kb", "0 Kb", "0 s", "7.13 Kbps", "0 s",
                                    "Downloading File: partial.bin / 2500 bytù.", "File:       1 / 1",
                                    "Bytes received:", "Speed:", "2500", "2500", "2500", "2500",
                                    "visible"}));
    }

    // Another client rewrote both files after our listing: each arrives as
    // the server now holds it, and the read-outs end at the real total.
    void filesChangedAfterTheirListingArriveWholeWithSaneReadouts()
    {
        TransferSetup setup({{"grew.bin", 2000}, {"shrank.bin", 6000}});
        setup.server.writePatternFile("grew.bin", 7000);
        setup.server.writePatternFile("shrank.bin", 500);
        QStringList seen;
        setup.dialogs.onBox = [&](const RecordedBox&) {
            auto* dialog = setup.window.findChild<Form2*>();
            seen << dialog->lbCelkem->text() << dialog->lbFar->text() << dialog->lbLeft->text()
                 << QString::number(dialog->ProgressBar2->Value()) << QString::number(dialog->ProgressBar2->Max());
        };

        setup.download({"grew.bin", "shrank.bin"}, pressStart);

        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(setup.localPath("grew.bin")), pattern(7000));
        QCOMPARE(readLocal(setup.localPath("shrank.bin")), pattern(500));
        QCOMPARE(seen, (QStringList{"7.32 Kb", "7.32 Kb", "0 Kb", "7500", "7500"}));
    }

    void secondOfThreeFilesRefusedStopsTheRunAndKeepsTheFirst()
    {
        TransferSetup setup({{"a.bin", 3000}, {"b.bin", 10}, {"c.bin", 20}}, {"--refuse-retr", "b.bin"});

        bool openAfterRun = false;
        QString status;
        QString fileLine;
        HINTERNET handleAfterRun = 1;
        setup.download({"a.bin", "b.bin", "c.bin"}, [&](Form2& dialog) {
            pressStart(dialog);
            openAfterRun = dialog.isVisible();
            status = setup.window.lblStatus->text();
            fileLine = dialog.Label2->text();
            handleAfterRun = dialog.remoteFileHandle;
            pressCancel(dialog);  // nothing is open: closes without a message
        });

        QVERIFY(openAfterRun);
        QCOMPARE(status, QStringLiteral("Can't open file path! Request canceled!"));
        QCOMPARE(fileLine, QStringLiteral("File:       2 / 3"));
        QCOMPARE(handleAfterRun, HINTERNET(0));
        QCOMPARE(setup.dialogs.texts(), QStringList{"Can't open file path"});
        QCOMPARE(readLocal(setup.localPath("a.bin")), pattern(3000));
        QCOMPARE(folderEntries(setup.local.path()), QStringList{"a.bin"});
        QVERIFY(!anyContains(commandsSent(setup.server, "RETR"), "c.bin"));
    }

    void cutDataConnectionIsAFailureAndLeavesTheLocalFileAlone_data()
    {
        QTest::addColumn<QStringList>("serverOptions");
        QTest::addColumn<QStringList>("readouts");  // Kb received, then both bars
        QTest::newRow("connection cut") << QStringList{"--cut-after", "3000"}
                                        << QStringList{"2.93 Kb", "3000", "3000"};
        QTest::newRow("short data confirmed") << QStringList{"--short-retr", "500"}
                                              << QStringList{"0.49 Kb", "500", "500"};
    }

    void cutDataConnectionIsAFailureAndLeavesTheLocalFileAlone()
    {
        QFETCH(QStringList, serverOptions);
        TransferSetup setup({{"big.bin", 20000}}, toOptions(serverOptions));
        writeLocal(setup.localPath("big.bin"), "the user's own copy");
        FakeClock frozen;  // only a file's first block would be painted

        bool openAfterRun = false;
        QString status;
        QStringList shown;
        setup.download({"big.bin"}, [&](Form2& dialog) {
            pressStart(dialog);
            openAfterRun = dialog.isVisible();
            status = setup.window.lblStatus->text();
            shown << dialog.lbFar->text() << QString::number(dialog.ProgressBar1->Value())
                  << QString::number(dialog.ProgressBar2->Value());
            pressCancel(dialog);
        });

        QVERIFY(openAfterRun);
        const QStringList reports = setup.dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains(reportAt104), qPrintable(reports.first()));
        QVERIFY(reports.first().contains("big.bin"));
        QVERIFY2(reports.first().contains("broke off") && !reports.first().contains("refused"),
                 qPrintable(reports.first()));
        QVERIFY(!setup.dialogs.texts().contains(completed));
        QCOMPARE(status, QStringLiteral("Transfering data...Please wait."));
        // The read-outs show every byte that arrived before the break.
        QFETCH(QStringList, readouts);
        QCOMPARE(shown, readouts);
        QCOMPARE(readLocal(setup.localPath("big.bin")), QByteArray("the user's own copy"));
        // What arrived waits, hidden, for the next try.
        QCOMPARE(folderEntries(setup.local.path()),
                 (QStringList{".big.bin.corvell-from", ".big.bin.corvell-part", "big.bin"}));
        QCOMPARE(readLocal(setup.localPath(".big.bin.corvell-part")), pattern(readouts.at(1).toInt()));
    }

    void failedDownloadOfANewFileLeavesNoFileUnderItsName_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("connection cut") << 20000;
        // Every byte arrives, then the server answers 426 instead of 226.
        QTest::newRow("transfer the server does not confirm") << 3000;
    }

    void failedDownloadOfANewFileLeavesNoFileUnderItsName()
    {
        QFETCH(int, size);
        TransferSetup setup({{"new.bin", std::size_t(size)}}, {"--cut-after", "3000"});

        setup.download({"new.bin"}, startThenCancel);

        const QStringList reports = setup.dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains(reportAt104), qPrintable(reports.first()));
        QVERIFY(reports.first().contains("new.bin"));
        QVERIFY(!setup.dialogs.texts().contains(completed));
        QCOMPARE(folderEntries(setup.local.path()), (QStringList{".new.bin.corvell-from", ".new.bin.corvell-part"}));
    }

    void brokenDownloadContinuesOnlyTheSameFile_data()
    {
        QTest::addColumn<QStringList>("serverOptions");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("changedSize");  // the remote file after the first run, 0 = unchanged
        QTest::addColumn<bool>("relist");      // the remote folder is listed again after the change
        QTest::addColumn<QStringList>("rests");
        QTest::addColumn<int>("barsAtEnd");    // -1: the last run fails
        QTest::newRow("cut three times") << QStringList{"--cut-after", "3000"} << 10000 << 4 << 0 << false
                                         << QStringList{"REST 3000", "REST 6000", "REST 9000"} << 10000;
        // The listing still shows the old size and date; the server's SIZE tells.
        QTest::newRow("changed remote file starts over") << QStringList{"--cut-after", "3000"} << 5000 << 2 << 2000
                                                          << false << QStringList{} << 2000;
        // Same size, another date: the listing tells.
        QTest::newRow("rewritten remote file listed again starts over")
            << QStringList{"--cut-after", "3000"} << 5000 << 2 << 5000 << true << QStringList{} << -1;
        QTest::newRow("server without REST starts over")
            << QStringList{"--cut-after", "3000", "--reply", "REST=502 Not here."} << 5000 << 2 << 0
            << false << QStringList{"REST 3000"} << -1;
    }

    void brokenDownloadContinuesOnlyTheSameFile()
    {
        QFETCH(QStringList, serverOptions);
        QFETCH(int, size);
        QFETCH(int, runs);
        QFETCH(int, changedSize);
        QFETCH(bool, relist);
        QFETCH(QStringList, rests);
        QFETCH(int, barsAtEnd);
        TransferSetup setup({{"f.bin", std::size_t(size)}}, toOptions(serverOptions));
        const QByteArray changed(changedSize, 'n');
        QList<std::int64_t> bars;
        setup.dialogs.onBox = [&](const RecordedBox& box) {
            if (box.text == completed) {
                const Form2* dialog = setup.window.findChild<Form2*>();
                bars << dialog->ProgressBar1->Value() << dialog->ProgressBar2->Value();
            }
        };

        for (int run = 0; run < runs; ++run) {
            setup.download({"f.bin"}, startThenCancel);
            if (run == 0 && changedSize > 0) {
                setup.server.writeFile("f.bin", changed.toStdString());
                QFile served(QString::fromStdString(setup.server.root()) + "/f.bin");
                QVERIFY(served.open(QIODevice::ReadWrite));
                QVERIFY(served.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC),
                                           QFileDevice::FileModificationTime));
            }
            if (run == 0 && relist)
                openFolder(setup.window, QStringLiteral("/"));
        }

        QCOMPARE(commandsSent(setup.server, "REST"), rests);
        if (barsAtEnd < 0) {
            QCOMPARE(setup.dialogs.texts(RecordedBox::ErrorReport).size(), runs);
            // Started over from the first byte, not spliced onto what was held.
            QCOMPARE(readLocal(setup.localPath(".f.bin.corvell-part")),
                     (changedSize > 0 ? changed : pattern(size)).left(3000));
            return;
        }
        QCOMPARE(setup.dialogs.texts(RecordedBox::ErrorReport).size(), runs - 1);
        QCOMPARE(bars, (QList<std::int64_t>{barsAtEnd, barsAtEnd}));
        QCOMPARE(readLocal(setup.localPath("f.bin")), changedSize > 0 ? changed : pattern(size));
        QCOMPARE(folderEntries(setup.local.path()), QStringList{"f.bin"});
    }

    void overwritingALongerLocalFileLeavesExactlyTheDownloadedBytes()
    {
        TransferSetup setup({{"notes.txt", 1500}});
        writeLocal(setup.localPath("notes.txt"), QByteArray(100000, 'x'));

        setup.download({"notes.txt"}, pressStart);

        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(setup.localPath("notes.txt")), pattern(1500));
        QCOMPARE(folderEntries(setup.local.path()), QStringList{"notes.txt"});
    }

    void localFileThatCannotBeCreatedKeepsTheRemoteFileOpenUntilCancel()
    {
        TransferSetup setup({{"a.bin", 5000}});
        const QString gone = vanishingFolder(setup);

        HINTERNET handleAfterRun = 0;
        QStringList boxesBeforeCancel;
        HINTERNET handleAfterCancel = 1;
        setup.download({"a.bin"}, [&](Form2& dialog) {
            QDir(gone).removeRecursively();
            pressStart(dialog);
            handleAfterRun = dialog.remoteFileHandle;
            boxesBeforeCancel = setup.dialogs.texts();
            dialog.PushButton2_Click();
            handleAfterCancel = dialog.remoteFileHandle;
        });

        QVERIFY(handleAfterRun != 0);
        QCOMPARE(boxesBeforeCancel.size(), 1);
        QVERIFY(boxesBeforeCancel.first().contains(reportAt104));
        QCOMPARE(handleAfterCancel, HINTERNET(0));
        QCOMPARE(setup.dialogs.texts().last(), QStringLiteral("Operation Canceled."));
        QVERIFY(!QFileInfo::exists(gone));
    }

    void startingAgainAfterAFailureRunsTheWholeBatchWithItsOwnTotal()
    {
        TransferSetup setup({{"a.bin", 5000}, {"b.bin", 3000}});
        const QString target = vanishingFolder(setup);

        std::int64_t barMaximum = 0;
        setup.dialogs.onBox = [&](const RecordedBox& box) {
            if (box.text == completed)
                barMaximum = setup.window.findChild<Form2*>()->ProgressBar2->Max();
        };
        const DialogRun run = setup.download({"a.bin", "b.bin"}, [&](Form2& dialog) {
            QDir(target).removeRecursively();
            pressStart(dialog);  // fails: the folder is gone, a.bin stays open
            QDir().mkpath(target);
            pressStart(dialog);  // the leftover is closed and the batch runs whole
        });

        QVERIFY(!run.leftOpen);
        QCOMPARE(setup.dialogs.texts(RecordedBox::ErrorReport).size(), 1);
        QCOMPARE(setup.dialogs.texts(RecordedBox::Message), QStringList{completed});
        QCOMPARE(barMaximum, 8000);
        QCOMPARE(readLocal(target + "/a.bin"), pattern(5000));
        QCOMPARE(readLocal(target + "/b.bin"), pattern(3000));
    }

    void titleBarCloseAfterAFailureClosesTheRemoteFileQuietly()
    {
        TransferSetup setup({{"a.bin", 5000}});
        const QString gone = vanishingFolder(setup);

        setup.download({"a.bin"}, [&](Form2& dialog) {
            QDir(gone).removeRecursively();
            pressStart(dialog);
            dialog.close();
        });
        QCOMPARE(setup.dialogs.texts(RecordedBox::Message), QStringList());

        // The connection is free again: the next download works.
        setup.dialogs.clear();
        setup.window.dirLocalDir->setPath(setup.local.path());
        setup.download({"a.bin"}, pressStart);
        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(setup.localPath("a.bin")), pattern(5000));
    }

    void cancelBeforeStartTransfersNothing()
    {
        TransferSetup setup({{"a.bin", 100}});

        const DialogRun run = setup.download({"a.bin"}, pressCancel);

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(setup.dialogs.texts(), QStringList());
        QCOMPARE(folderEntries(setup.local.path()), QStringList());
        QCOMPARE(commandsSent(setup.server, "RETR"), QStringList());
        QVERIFY(!setup.window.findChild<Form2*>());
    }

    void remoteNamesThatLeaveTheFolderAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("parent folder") << "../x" << QByteArray();
        QTest::newRow("sub-folder") << "sub/x" << QByteArray();
        QTest::newRow("dot-dot") << ".." << QByteArray();
        QTest::newRow("listed bytes climb out though the text does not") << "x" << QByteArray("../x");
        QTest::newRow("NUL byte in the listed name") << "x" << QByteArray("x\0y", 3);
    }
    void remoteNamesThatLeaveTheFolderAreRefused()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, raw);
        TransferSetup setup({{"x", 64}, {"sub/x", 64}});
        const QString inner = setup.localPath("inner");
        QDir().mkpath(inner + "/sub");
        setup.window.dirLocalDir->setPath(inner);
        setup.window.ListView1->clearSelection();
        addRemoteRow(setup.window, text, "64", raw);

        runDialog(setup.window, [&] { setup.window.PushButton4_Click(); }, startThenCancel);

        const QStringList reports = setup.dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains(reportAt104));
        QVERIFY(reports.first().contains("not a file name allowed"));
        QCOMPARE(folderEntries(setup.local.path()), QStringList{"inner"});
        QCOMPARE(folderEntries(inner), QStringList{"sub"});
        QCOMPARE(folderEntries(inner + "/sub"), QStringList());
        QCOMPARE(commandsSent(setup.server, "RETR"), QStringList());
    }
};

QTEST_MAIN(DownloadTest)
#include "test_download.moc"
