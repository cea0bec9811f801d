// Uploads through "Upload Selected File" and the Data Transfer dialog, against
// the real test server and real local files.

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
const QString createRefused = QStringLiteral("Can't create requested file on server");
const QString oneOfThreeFailed = QStringLiteral("1 of 3 files were not transferred.");

} // namespace

class UploadTest : public QObject {
    Q_OBJECT
private slots:
    void uploadsEmptyFullBlockAndPartialBlockFilesExactly()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("empty.bin"), {});
        writeLocal(local.filePath("block.bin"), pattern(1024));
        writeLocal(local.filePath("partial.bin"), pattern(2500));
        selectLocal(window, local.path(), {"empty.bin", "block.bin", "partial.bin"});

        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(dialogs.texts(), QStringList{completed});
        QVERIFY(server.exists("empty.bin"));
        QCOMPARE(server.readFile("empty.bin"), std::string());
        QCOMPARE(server.readFile("block.bin"), patternBytes(1024));
        QCOMPARE(server.readFile("partial.bin"), patternBytes(2500));
        // The remote folder is listed again and shows the new files.
        QVERIFY(listedFiles(window).contains("partial.bin"));
        QVERIFY(!window.findChild<Form2*>());
    }

    void readoutsAndBarsEndCompleteWithAFakeClock()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("odd.bin"), pattern(1025));
        selectLocal(window, local.path(), {"odd.bin"});
        FakeClock clock;
        clock.stepPerRead = 100;

        QStringList seen;
        dialogs.onBox = [&](const RecordedBox&) {
            auto* dialog = window.findChild<Form2*>();
            seen << dialog->lbCelkem->text() << dialog->lbFar->text() << dialog->lbLeft->text()
                 << dialog->lbTime->text() << dialog->lbSpeed->text() << dialog->lbTimeLeft->text()
                 << dialog->Label1->text() << dialog->Label2->text() << dialog->Label4->text()
                 << dialog->Label7->text() << window.lblStatus->text()
                 << QString::number(dialog->ProgressBar1->Value()) << QString::number(dialog->ProgressBar1->Max())
                 << QString::number(dialog->ProgressBar2->Value()) << QString::number(dialog->ProgressBar2->Max());
        };
        runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        // Writes of 1024 and 1 bytes, 100 ms apart: speeds 5.12, then (5.125 + 5.12) / 2.
        QCOMPARE(seen, (QStringList{"1 Kb", "1 Kb", "0 Kb", "0 s", "5.12 Kbps", "0 s",
                                    "Uploading file: " + local.filePath("odd.bin") + " / 1025 byte.",
                                    "File:       1 / 1", "Bytes send:", "Upload Speed:", "OK",
                                    "1025", "1025", "1025", "1025"}));
        QCOMPARE(server.readFile("odd.bin"), patternBytes(1025));
    }

    void statusSaysCompletedWhenNoFolderIsSelectedToListAgain()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "abc");
        selectLocal(window, local.path(), {"a.txt"});
        window.TView1->clearSelection();
        const QStringList before = listedFiles(window);

        runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        QCOMPARE(window.lblStatus->text(), completed);
        QCOMPARE(listedFiles(window), before);
        QCOMPARE(server.readFile("a.txt"), std::string("abc"));
    }

    void secondOfThreeRefusedOnCreateStopsTheRun()
    {
        TestFtpServer server({"--refuse-stor", "b.bin"});
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.bin"), pattern(3000));
        writeLocal(local.filePath("b.bin"), pattern(10));
        writeLocal(local.filePath("c.bin"), pattern(20));
        selectLocal(window, local.path(), {"a.bin", "b.bin", "c.bin"});

        bool openAfterRun = false;
        QString status;
        HINTERNET handleAfterRun = 1;
        runDialog(window, [&] { window.PushButton1_Click(); }, [&](Form2& dialog) {
            pressStart(dialog);
            openAfterRun = dialog.isVisible();
            status = window.lblStatus->text();
            handleAfterRun = dialog.remoteFileHandle;
            pressCancel(dialog);
        });

        QVERIFY(openAfterRun);
        QCOMPARE(status, QStringLiteral("Can't create requested file on server! request canceled!"));
        QCOMPARE(handleAfterRun, HINTERNET(0));
        QCOMPARE(dialogs.texts(), QStringList{createRefused});
        QCOMPARE(server.readFile("a.bin"), patternBytes(3000));
        QVERIFY(!server.exists("b.bin"));
        QVERIFY(!server.exists("c.bin"));
    }

    void writeRefusedMidFileAbandonsItAndGoesOnWithTheNext()
    {
        TestFtpServer server({"--fail-stor-after", "100000"});
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.bin"), pattern(500));
        writeLocal(local.filePath("b.bin"), pattern(8 * 1024 * 1024));
        writeLocal(local.filePath("c.bin"), pattern(700));
        selectLocal(window, local.path(), {"a.bin", "b.bin", "c.bin"});

        QStringList statusAtBoxes;
        dialogs.onBox = [&](const RecordedBox&) { statusAtBoxes << window.lblStatus->text(); };
        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        QVERIFY(!run.leftOpen);
        QCOMPARE(dialogs.texts(), (QStringList{createRefused, oneOfThreeFailed}));
        QCOMPARE(statusAtBoxes.last(), QStringLiteral("OK"));
        QCOMPARE(server.readFile("a.bin"), patternBytes(500));
        QCOMPARE(server.readFile("c.bin"), patternBytes(700));
    }

    void localFileThatCannotBeOpenedIsReportedAndNothingIsCreatedForIt()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.bin"), pattern(300));
        writeLocal(local.filePath("b.bin"), pattern(400));
        writeLocal(local.filePath("c.bin"), pattern(500));
        selectLocal(window, local.path(), {"a.bin", "b.bin", "c.bin"});

        runDialog(window, [&] { window.PushButton1_Click(); }, [&](Form2& dialog) {
            QFile::remove(local.filePath("b.bin"));
            pressStart(dialog);
        });

        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains("in Corvell2021/08/31.Form2.Upload at line 168"),
                 qPrintable(reports.first()));
        QVERIFY(reports.first().contains("b.bin"));
        QCOMPARE(dialogs.texts(RecordedBox::Message), QStringList{oneOfThreeFailed});
        QCOMPARE(server.readFile("a.bin"), patternBytes(300));
        QVERIFY(!server.exists("b.bin"));
        QCOMPARE(server.readFile("c.bin"), patternBytes(500));
        for (const QString& line : commandsSent(server, "STOR"))
            QVERIFY(!line.contains("b.bin"));
    }

    void deepLocalPathShowsTheFileNameAndSizeWithTheWholePathAsTooltip()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        QString folder = local.path();
        for (int depth = 0; depth < 6; ++depth)
            folder += QStringLiteral("/a rather long folder name number %1").arg(depth);
        QVERIFY(QDir().mkpath(folder));
        writeLocal(folder + "/deep.bin", pattern(5));
        selectLocal(window, folder, {"deep.bin"});

        QString whole, shown, tip;
        bool fits = false;
        dialogs.onBox = [&](const RecordedBox&) {
            FileLineLabel* line = window.findChild<Form2*>()->Label1;
            whole = line->text();
            shown = line->shownText();
            tip = line->toolTip();
            fits = line->fontMetrics().horizontalAdvance(shown) <= line->contentsRect().width();
        };
        runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        QCOMPARE(whole, "Uploading file: " + folder + "/deep.bin / 5 byte.");
        QCOMPARE(tip, whole);
        QVERIFY2(fits && shown.startsWith("Uploading file: " + local.path().left(4)), qPrintable(shown));
        QVERIFY2(shown.endsWith("/deep.bin / 5 byte.") && shown.contains(QChar(0x2026)), qPrintable(shown));
    }

    void uploadReplacesALongerRemoteFile()
    {
        TestFtpServer server;
        server.writePatternFile("same.bin", 90000);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("same.bin"), pattern(2049));
        selectLocal(window, local.path(), {"same.bin"});

        runDialog(window, [&] { window.PushButton1_Click(); }, pressStart);

        QCOMPARE(dialogs.texts(), QStringList{completed});
        QCOMPARE(server.readFile("same.bin"), patternBytes(2049));
    }

    void cancelBeforeStartSendsNothingAndListsTheFolderAgain()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.bin"), pattern(10));
        selectLocal(window, local.path(), {"a.bin"});
        server.writePatternFile("appeared.txt", 5);

        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, pressCancel);

        QVERIFY(run.shown);
        QCOMPARE(dialogs.texts(), QStringList());
        QVERIFY(!server.exists("a.bin"));
        QCOMPARE(commandsSent(server, "STOR"), QStringList());
        QVERIFY(listedFiles(window).contains("appeared.txt"));
    }
};

QTEST_MAIN(UploadTest)
#include "test_upload.moc"
