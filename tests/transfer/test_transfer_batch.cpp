// The two batch buttons: their checks, the batch they write into the Data
// Transfer dialog, and what they do once it has closed.

#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"
#include "transfer_test_helpers.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// What the batch wrote into the dialog, read while it shows.
struct BatchSeen {
    QStringList entries;
    QList<std::int64_t> sizes;
    QList<QByteArray> remoteNames;
    int count = -1;
    std::int64_t total = -1;
    QString fileLine, bytesTitle, speedTitle, start, totalText, fileTitle, caption, status;
    bool leftVisible = true;
    HINTERNET handle = 1;
};

std::function<void(Form2&)> readBatch(Form1& window, BatchSeen& seen)
{
    return [&window, &seen](Form2& dialog) {
        seen.entries = dialog.List1;
        seen.sizes = dialog.List2;
        seen.remoteNames = dialog.remoteNames;
        seen.count = dialog.mTotalCount;
        seen.total = dialog.batchTotal;
        seen.fileLine = dialog.Label2->text();
        seen.bytesTitle = dialog.Label4->text();
        seen.speedTitle = dialog.Label7->text();
        seen.start = dialog.PushButton1->text();
        seen.totalText = dialog.lbCelkem->text();
        seen.fileTitle = dialog.Label1->text();
        seen.caption = dialog.windowTitle();
        seen.status = window.lblStatus->text();
        seen.leftVisible = dialog.lbLeft->isVisible();
        seen.handle = dialog.remoteFileHandle;
        pressCancel(dialog);
    };
}

} // namespace

class TransferBatchTest : public QObject {
    Q_OBJECT
private slots:
    void uploadWithNothingSelectedWhileDisconnectedSaysOnlyNoFilesSelected()
    {
        RecordingDialogs dialogs;
        Form1 window;
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "a");
        selectLocal(window, local.path(), {});
        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, pressCancel);
        QVERIFY(!run.shown);
        QCOMPARE(dialogs.texts(), QStringList{"No files selected"});
        QVERIFY(!window.findChild<Form2*>());
    }

    void uploadWithASelectionWhileDisconnectedSaysNotConnectedInLowerCase()
    {
        RecordingDialogs dialogs;
        Form1 window;
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "a");
        selectLocal(window, local.path(), {"a.txt"});
        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, pressCancel);
        QVERIFY(!run.shown);
        QCOMPARE(dialogs.texts(), QStringList{"not connected to any server"});
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Disconnected"));
    }

    void downloadWhileDisconnectedSaysOnlyNotConnected()
    {
        RecordingDialogs dialogs;
        Form1 window;
        addRemoteRow(window, "a.txt", "1");
        const DialogRun run = runDialog(window, [&] { window.PushButton4_Click(); }, pressCancel);
        QVERIFY(!run.shown);
        QCOMPARE(dialogs.texts(), QStringList{"Not connected to any server"});
    }

    void downloadWithNothingSelectedSaysNoFileSelected()
    {
        TestFtpServer server;
        server.writePatternFile("a.txt", 1);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        selectRemote(window, {});
        const DialogRun run = runDialog(window, [&] { window.PushButton4_Click(); }, pressCancel);
        QVERIFY(!run.shown);
        QCOMPARE(dialogs.texts(), QStringList{"No file selected"});
    }

    void uploadBatchHoldsTheSelectedFilesInListOrder()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), QByteArray(10, 'a'));
        writeLocal(local.filePath("b.txt"), QByteArray(20, 'b'));
        writeLocal(local.filePath("c.txt"), QByteArray());
        writeLocal(local.filePath("d.txt"), QByteArray(40, 'd'));
        selectLocal(window, local.path(), {"d.txt", "a.txt", "c.txt"});

        BatchSeen seen;
        const DialogRun run = runDialog(window, [&] { window.PushButton1_Click(); }, readBatch(window, seen));

        QVERIFY(run.shown);
        const QString folder = local.path() + "/";
        QCOMPARE(seen.entries, (QStringList{folder + "a.txt", folder + "c.txt", folder + "d.txt"}));
        QCOMPARE(seen.sizes, (QList<std::int64_t>{10, 0, 40}));
        QCOMPARE(seen.count, 3);
        QCOMPARE(seen.total, 50);
        QCOMPARE(seen.totalText, QStringLiteral("50"));
        QCOMPARE(seen.fileLine, QStringLiteral("File:       0 / 3"));
        QCOMPARE(seen.start, QStringLiteral("Upload"));
        QCOMPARE(seen.bytesTitle, QStringLiteral("Bytes send:"));
        QCOMPARE(seen.speedTitle, QStringLiteral("Upload Speed:"));
        QCOMPARE(seen.fileTitle, QStringLiteral("Downloading file:"));
        QCOMPARE(seen.caption, QStringLiteral("Data Transfer"));
        QCOMPARE(seen.status, QStringLiteral("3.) d.txt"));
        QVERIFY(!seen.leftVisible);
        QCOMPARE(seen.handle, HINTERNET(0));
        // Cancel: nothing sent, no message.
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(commandsSent(server, "STOR"), QStringList());
    }

    void uploadEntriesFromTheRootFolderHaveOneSlash()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        window.dirLocalDir->setPath("/");
        window.filLocalFile->setPath("/");
        if (window.filLocalFile->ListCount() == 0)
            QSKIP("the root folder holds no plain file here");
        const QString name = window.filLocalFile->List(0);
        window.filLocalFile->setSelected(0, true);

        BatchSeen seen;
        runDialog(window, [&] { window.PushButton1_Click(); }, readBatch(window, seen));

        QCOMPARE(seen.entries, QStringList{"/" + name});
    }

    void uploadFileGoneBeforeTheBatchIsReportedAndKeptWithSizeZero()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), QByteArray(10, 'a'));
        writeLocal(local.filePath("b.txt"), QByteArray(20, 'b'));
        selectLocal(window, local.path(), {"a.txt", "b.txt"});
        QFile::remove(local.filePath("a.txt"));

        BatchSeen seen;
        runDialog(window, [&] { window.PushButton1_Click(); }, readBatch(window, seen));

        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains("in Corvell2021/08/31.Form1.PushButton1_Click at line 132"));
        QCOMPARE(seen.entries.size(), 2);
        QCOMPARE(seen.sizes, (QList<std::int64_t>{0, 20}));
        QCOMPARE(seen.total, 20);
    }

    void uploadAfterALogoffWhileTheDialogShowsSaysNotConnected()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "a");
        selectLocal(window, local.path(), {"a.txt"});

        runDialog(window, [&] { window.PushButton1_Click(); }, [&](Form2& dialog) {
            window.PushButton8_Click();
            pressCancel(dialog);
        });

        QCOMPARE(dialogs.texts(RecordedBox::Message).last(), QStringLiteral("Not connected to any server"));
    }

    void downloadBatchHoldsNamesSizesAndTheTargetFolder()
    {
        TestFtpServer server;
        server.makeFolder("pub");
        server.writePatternFile("pub/a.bin", 100);
        server.writePatternFile("pub/b.bin", 0);
        server.writePatternFile("pub/c.bin", 300);
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        openFolder(window, "/pub/");
        QTemporaryDir local;
        window.dirLocalDir->setPath(local.path());
        const QStringList rows = listedFiles(window);
        QCOMPARE(rows.size(), 3);
        selectRemote(window, {rows.at(2), rows.at(0)});

        BatchSeen seen;
        runDialog(window, [&] { window.PushButton4_Click(); }, readBatch(window, seen));

        QCOMPARE(seen.entries, (QStringList{rows.at(0), rows.at(2)}));
        QCOMPARE(seen.remoteNames, (QList<QByteArray>{rows.at(0).toUtf8(), rows.at(2).toUtf8()}));
        QCOMPARE(seen.count, 2);
        QCOMPARE(seen.fileLine, QStringLiteral("File:       0 / 2"));
        QCOMPARE(seen.start, QStringLiteral("Download"));
        QCOMPARE(seen.bytesTitle, QStringLiteral("Bytes received:"));
        QCOMPARE(seen.speedTitle, QStringLiteral("Speed:"));
        QCOMPARE(seen.status, "2.) /pub/" + rows.at(2));
        QCOMPARE(downloadFolder, local.path() + "/");
        std::int64_t sum = 0;
        for (std::int64_t size : seen.sizes)
            sum += size;
        QCOMPARE(seen.total, sum);
        QCOMPARE(seen.totalText, QString::number(sum));
        QCOMPARE(dialogs.texts(), QStringList());
    }

    void downloadSizeThatIsNotANumberIsReportedAndKeptWithSizeZero()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        addRemoteRow(window, "odd.txt", "abc");
        addRemoteRow(window, "fine.txt", "7");

        BatchSeen seen;
        runDialog(window, [&] { window.PushButton4_Click(); }, readBatch(window, seen));

        const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains("in Corvell2021/08/31.Form1.PushButton4_Click at line 134"));
        QCOMPARE(seen.entries, (QStringList{"odd.txt", "fine.txt"}));
        QCOMPARE(seen.sizes, (QList<std::int64_t>{0, 7}));
        QCOMPARE(seen.total, 7);
    }

    void downloadTotalBeyondFourGibibytesDoesNotOverflow()
    {
        TestFtpServer server;
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        addRemoteRow(window, "big1.iso", "3000000000");
        addRemoteRow(window, "big2.iso", "2500000000");

        BatchSeen seen;
        runDialog(window, [&] { window.PushButton4_Click(); }, readBatch(window, seen));

        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(seen.sizes, (QList<std::int64_t>{3000000000LL, 2500000000LL}));
        QCOMPARE(seen.total, 5500000000LL);
        QCOMPARE(seen.totalText, QStringLiteral("5500000000"));
    }
};

QTEST_MAIN(TransferBatchTest)
#include "test_transfer_batch.moc"
