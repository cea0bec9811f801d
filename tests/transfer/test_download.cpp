// Downloads through "Download File" and the Data Transfer dialog, against the
// real test server and real local files.

#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"
#include "transfer/progress_bar.h"
#include "transfer_test_helpers.h"

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

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void downloadsEmptyFullBlockAndPartialBlockFilesExactly()
    {
        TestFtpServer server;
        server.writePatternFile("empty.bin", 0);
        server.writePatternFile("block.bin", 1024);
        server.writePatternFile("partial.bin", 2500);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"empty.bin", "block.bin", "partial.bin"});

        const DialogRun run = runDialog(window, [&] { window.PushButton4_Click(); }, pressStart);

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(local.filePath("empty.bin")), QByteArray());
        QCOMPARE(readLocal(local.filePath("block.bin")), pattern(1024));
        QCOMPARE(readLocal(local.filePath("partial.bin")), pattern(2500));
        QCOMPARE(window.lblStatus->text(), QStringLiteral("OK"));
        QCOMPARE(folderEntries(local.path()), (QStringList{"block.bin", "empty.bin", "partial.bin"}));
        // The local list is read again afterwards and shows the new files.
        QCOMPARE(window.filLocalFile->ListCount(), 3);
        QVERIFY(!window.findChild<Form2*>());
        QCOMPARE(commandsSent(server, "RETR").size(), 3);
    }

    void readoutsAndBarsEndCompleteWithAFakeClock()
    {
        TestFtpServer server;
        server.writePatternFile("partial.bin", 2500);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"partial.bin"});
        FakeClock clock;
        clock.stepPerRead = 100;

        QStringList seen;
        dialogs.onBox = [&](const RecordedBox&) {
            auto* dialog = window.findChild<Form2*>();
            seen << dialog->lbCelkem->text() << dialog->lbFar->text() << dialog->lbLeft->text()
                 << dialog->lbTime->text() << dialog->lbSpeed->text() << dialog->lbTimeLeft->text()
                 << dialog->Label1->text() << dialog->Label2->text() << dialog->Label4->text()
                 << dialog->Label7->text()
                 << QString::number(dialog->ProgressBar1->Value()) << QString::number(dialog->ProgressBar1->Max())
                 << QString::number(dialog->ProgressBar2->Value()) << QString::number(dialog->ProgressBar2->Max())
                 << (dialog->lbLeft->isVisible() ? "visible" : "hidden");
        };
        runDialog(window, [&] { window.PushButton4_Click(); }, pressStart);

        // Reads of 1024, 1024, 452 and 0 bytes, one tick reading 100 ms apart each:
        // speeds 5.12, 7.68, 8.0067, then 7.1283 after the empty read.
        QCOMPARE(seen, (QStringList{"2.44 Kb", "2.44 Kb", "0 Kb", "0 s", "7.13 Kbps", "0 s",
                                    "Downloading File: partial.bin / 2500 bytù.", "File:       1 / 1",
                                    "Bytes received:", "Speed:", "2500", "2500", "2500", "2500",
                                    "visible"}));
    }

    void secondOfThreeFilesRefusedStopsTheRunAndKeepsTheFirst()
    {
        TestFtpServer server({"--refuse-retr", "b.bin"});
        server.writePatternFile("a.bin", 3000);
        server.writePatternFile("b.bin", 10);
        server.writePatternFile("c.bin", 20);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"a.bin", "b.bin", "c.bin"});

        bool openAfterRun = false;
        QString status;
        QString fileLine;
        HINTERNET handleAfterRun = 1;
        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            openAfterRun = dialog.isVisible();
            status = window.lblStatus->text();
            fileLine = dialog.Label2->text();
            handleAfterRun = dialog.remoteFileHandle;
            pressCancel(dialog);  // nothing is open: closes without a message
        });

        QVERIFY(openAfterRun);
        QCOMPARE(status, QStringLiteral("Can't open file path! Request canceled!"));
        QCOMPARE(fileLine, QStringLiteral("File:       2 / 3"));
        QCOMPARE(handleAfterRun, HINTERNET(0));
        QCOMPARE(dialogs.texts(), QStringList{"Can't open file path"});
        QCOMPARE(readLocal(local.filePath("a.bin")), pattern(3000));
        QCOMPARE(folderEntries(local.path()), QStringList{"a.bin"});
        QVERIFY(!anyContains(commandsSent(server, "RETR"), "c.bin"));
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
        std::vector<std::string> options;
        for (const QString& option : serverOptions)
            options.push_back(option.toStdString());
        TestFtpServer server(options);
        server.writePatternFile("big.bin", 20000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        writeLocal(local.filePath("big.bin"), "the user's own copy");
        selectRemote(window, {"big.bin"});
        FakeClock frozen;  // only a file's first block would be painted

        bool openAfterRun = false;
        QString status;
        QStringList shown;
        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            openAfterRun = dialog.isVisible();
            status = window.lblStatus->text();
            shown << dialog.lbFar->text() << QString::number(dialog.ProgressBar1->Value())
                  << QString::number(dialog.ProgressBar2->Value());
            pressCancel(dialog);
        });

        QVERIFY(openAfterRun);
        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains(reportAt104), qPrintable(reports.first()));
        QVERIFY(reports.first().contains("big.bin"));
        QVERIFY2(reports.first().contains("broke off") && !reports.first().contains("refused"),
                 qPrintable(reports.first()));
        QVERIFY(!dialogs.texts().contains(completed));
        QCOMPARE(status, QStringLiteral("Transfering data...Please wait."));
        // The read-outs show every byte that arrived before the break.
        QFETCH(QStringList, readouts);
        QCOMPARE(shown, readouts);
        QCOMPARE(readLocal(local.filePath("big.bin")), QByteArray("the user's own copy"));
        QCOMPARE(folderEntries(local.path()), QStringList{"big.bin"});
    }

    void cutDataConnectionOnANewFileLeavesNoFile()
    {
        TestFtpServer server({"--cut-after", "3000"});
        server.writePatternFile("big.bin", 20000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"big.bin"});

        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            pressCancel(dialog);
        });

        QCOMPARE(dialogs.texts(RecordedBox::ErrorReport).size(), 1);
        QCOMPARE(folderEntries(local.path()), QStringList());
    }

    void transferTheServerDoesNotConfirmIsAFailure()
    {
        // Every byte arrives, then the server answers 426 instead of 226.
        TestFtpServer server({"--cut-after", "3000"});
        server.writePatternFile("whole.bin", 3000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"whole.bin"});

        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            pressCancel(dialog);
        });

        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains(reportAt104), qPrintable(reports.first()));
        QVERIFY(reports.first().contains("whole.bin"));
        QVERIFY(!dialogs.texts().contains(completed));
        QCOMPARE(folderEntries(local.path()), QStringList());
    }

    void overwritingALongerLocalFileLeavesExactlyTheDownloadedBytes()
    {
        TestFtpServer server;
        server.writePatternFile("notes.txt", 1500);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        writeLocal(local.filePath("notes.txt"), QByteArray(100000, 'x'));
        selectRemote(window, {"notes.txt"});

        runDialog(window, [&] { window.PushButton4_Click(); }, pressStart);

        QCOMPARE(dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(local.filePath("notes.txt")), pattern(1500));
        QCOMPARE(folderEntries(local.path()), QStringList{"notes.txt"});
    }

    void localFileThatCannotBeCreatedKeepsTheRemoteFileOpenUntilCancel()
    {
        TestFtpServer server;
        server.writePatternFile("a.bin", 5000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        const QString gone = local.filePath("gone");
        QDir().mkpath(gone);
        window.dirLocalDir->setPath(gone);
        selectRemote(window, {"a.bin"});

        HINTERNET handleAfterRun = 0;
        QStringList boxesBeforeCancel;
        HINTERNET handleAfterCancel = 1;
        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            QDir(gone).removeRecursively();
            pressStart(dialog);
            handleAfterRun = dialog.remoteFileHandle;
            boxesBeforeCancel = dialogs.texts();
            dialog.PushButton2_Click();
            handleAfterCancel = dialog.remoteFileHandle;
        });

        QVERIFY(handleAfterRun != 0);
        QCOMPARE(boxesBeforeCancel.size(), 1);
        QVERIFY(boxesBeforeCancel.first().contains(reportAt104));
        QCOMPARE(handleAfterCancel, HINTERNET(0));
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Operation Canceled."));
        QVERIFY(!QFileInfo::exists(gone));
    }

    void startingAgainAfterAFailureRunsTheWholeBatchWithItsOwnTotal()
    {
        TestFtpServer server;
        server.writePatternFile("a.bin", 5000);
        server.writePatternFile("b.bin", 3000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        const QString target = local.filePath("target");
        QDir().mkpath(target);
        window.dirLocalDir->setPath(target);
        selectRemote(window, {"a.bin", "b.bin"});

        std::int64_t barMaximum = 0;
        dialogs.onBox = [&](const RecordedBox& box) {
            if (box.text == completed)
                barMaximum = window.findChild<Form2*>()->ProgressBar2->Max();
        };
        const DialogRun run = runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            QDir(target).removeRecursively();
            pressStart(dialog);  // fails: the folder is gone, a.bin stays open
            QDir().mkpath(target);
            pressStart(dialog);  // the leftover is closed and the batch runs whole
        });

        QVERIFY(!run.leftOpen);
        QCOMPARE(dialogs.texts(RecordedBox::ErrorReport).size(), 1);
        QCOMPARE(dialogs.texts(RecordedBox::Message), QStringList{completed});
        QCOMPARE(barMaximum, 8000);
        QCOMPARE(readLocal(target + "/a.bin"), pattern(5000));
        QCOMPARE(readLocal(target + "/b.bin"), pattern(3000));
    }

    void titleBarCloseAfterAFailureClosesTheRemoteFileQuietly()
    {
        TestFtpServer server;
        server.writePatternFile("a.bin", 5000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        const QString gone = local.filePath("gone");
        QDir().mkpath(gone);
        window.dirLocalDir->setPath(gone);
        selectRemote(window, {"a.bin"});

        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            QDir(gone).removeRecursively();
            pressStart(dialog);
            dialog.close();
        });
        QCOMPARE(dialogs.texts(RecordedBox::Message), QStringList());

        // The connection is free again: the next download works.
        dialogs.clear();
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"a.bin"});
        runDialog(window, [&] { window.PushButton4_Click(); }, pressStart);
        QCOMPARE(dialogs.texts(), QStringList{completed});
        QCOMPARE(readLocal(local.filePath("a.bin")), pattern(5000));
    }

    void cancelBeforeStartTransfersNothing()
    {
        TestFtpServer server;
        server.writePatternFile("a.bin", 100);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        selectRemote(window, {"a.bin"});

        const DialogRun run = runDialog(window, [&] { window.PushButton4_Click(); }, pressCancel);

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(folderEntries(local.path()), QStringList());
        QCOMPARE(commandsSent(server, "RETR"), QStringList());
        QVERIFY(!window.findChild<Form2*>());
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
        TestFtpServer server;
        server.writePatternFile("x", 64);
        server.makeFolder("sub");
        server.writePatternFile("sub/x", 64);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        const QString inner = local.filePath("inner");
        QDir().mkpath(inner + "/sub");
        window.dirLocalDir->setPath(inner);
        window.ListView1->clearSelection();
        addRemoteRow(window, text, "64", raw);

        runDialog(window, [&] { window.PushButton4_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            pressCancel(dialog);
        });

        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains(reportAt104));
        QVERIFY(reports.first().contains("not a file name allowed"));
        QCOMPARE(folderEntries(local.path()), QStringList{"inner"});
        QCOMPARE(folderEntries(inner), QStringList{"sub"});
        QCOMPARE(folderEntries(inner + "/sub"), QStringList());
        QCOMPARE(commandsSent(server, "RETR"), QStringList());
    }
};

QTEST_MAIN(DownloadTest)
#include "test_download.moc"
