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

BatchSeen uploadBatch(TransferSetup& setup)
{
    BatchSeen seen;
    setup.pressUpload(readBatch(setup.window, seen));
    return seen;
}

BatchSeen downloadBatch(TransferSetup& setup)
{
    BatchSeen seen;
    setup.pressDownload(readBatch(setup.window, seen));
    return seen;
}

} // namespace

class TransferBatchTest : public QObject {
    Q_OBJECT
private slots:
    // Before any logon: the checks answer and no dialog opens.
    void batchButtonsWhileDisconnectedSayWhatIsMissing_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("message");
        QTest::newRow("upload with nothing selected says only no files selected")
            << true << QStringList() << "No files selected";
        QTest::newRow("upload with a selection says not connected in lower case")
            << true << QStringList{"a.txt"} << "not connected to any server";
        QTest::newRow("download says only not connected") << false << QStringList{"a.txt"}
                                                           << "Not connected to any server";
    }
    void batchButtonsWhileDisconnectedSayWhatIsMissing()
    {
        QFETCH(bool, upload);
        QFETCH(QStringList, selected);
        QFETCH(QString, message);
        RecordingDialogs dialogs;
        Form1 window;
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "a");
        if (upload)
            selectLocal(window, local.path(), selected);
        else
            addRemoteRow(window, "a.txt", "1");

        const DialogRun run = runDialog(window, [&] {
            upload ? window.PushButton1_Click() : window.PushButton4_Click();
        }, pressCancel);

        QVERIFY(!run.shown);
        QCOMPARE(dialogs.texts(), QStringList{message});
        QVERIFY(!window.findChild<Form2*>());
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Disconnected"));
    }

    void downloadWithNothingSelectedSaysNoFileSelected()
    {
        TransferSetup setup({{"a.txt", 1}});
        const DialogRun run = setup.download({}, pressCancel);
        QVERIFY(!run.shown);
        QCOMPARE(setup.dialogs.texts(), QStringList{"No file selected"});
    }

    void uploadBatchHoldsTheSelectedFilesInListOrder()
    {
        TransferSetup setup;
        writeLocal(setup.local.filePath("a.txt"), QByteArray(10, 'a'));
        writeLocal(setup.local.filePath("b.txt"), QByteArray(20, 'b'));
        writeLocal(setup.local.filePath("c.txt"), QByteArray());
        writeLocal(setup.local.filePath("d.txt"), QByteArray(40, 'd'));
        selectLocal(setup.window, setup.local.path(), {"d.txt", "a.txt", "c.txt"});

        BatchSeen seen;
        const DialogRun run = setup.pressUpload(readBatch(setup.window, seen));

        QVERIFY(run.shown);
        const QString folder = setup.local.path() + "/";
        QCOMPARE(seen.entries, (QStringList{folder + "a.txt", folder + "c.txt", folder + "d.txt"}));
        QCOMPARE(seen.sizes, (QList<std::int64_t>{10, 0, 40}));
        QCOMPARE(seen.count, 3);
        QCOMPARE(seen.total, 50);
        QCOMPARE(seen.totalText, QStringLiteral("50"));
        QCOMPARE(seen.fileLine, QStringLiteral("File:       0 / 3"));
        QCOMPARE(seen.start, QStringLiteral("&Upload"));
        QCOMPARE(seen.bytesTitle, QStringLiteral("Bytes send:"));
        QCOMPARE(seen.speedTitle, QStringLiteral("Upload Speed:"));
        QCOMPARE(seen.fileTitle, QStringLiteral("Downloading file:"));
        QCOMPARE(seen.caption, QStringLiteral("Data Transfer"));
        QCOMPARE(seen.status, QStringLiteral("3.) d.txt"));
        QVERIFY(!seen.leftVisible);
        QCOMPARE(seen.handle, HINTERNET(0));
        // Cancel: nothing sent, no message.
        QCOMPARE(setup.dialogs.texts(), QStringList());
        QCOMPARE(commandsSent(setup.server, "STOR"), QStringList());
    }

    void uploadEntriesFromTheRootFolderHaveOneSlash()
    {
        TransferSetup setup;
        setup.window.dirLocalDir->setPath("/");
        setup.window.filLocalFile->setPath("/");
        if (setup.window.filLocalFile->ListCount() == 0)
            QSKIP("the root folder holds no plain file here");
        const QString name = setup.window.filLocalFile->List(0);
        setup.window.filLocalFile->setSelected(0, true);

        const BatchSeen seen = uploadBatch(setup);

        QCOMPARE(seen.entries, QStringList{"/" + name});
    }

    void uploadFileGoneBeforeTheBatchIsReportedAndKeptWithSizeZero()
    {
        TransferSetup setup;
        writeLocal(setup.local.filePath("a.txt"), QByteArray(10, 'a'));
        writeLocal(setup.local.filePath("b.txt"), QByteArray(20, 'b'));
        selectLocal(setup.window, setup.local.path(), {"a.txt", "b.txt"});
        QFile::remove(setup.local.filePath("a.txt"));

        const BatchSeen seen = uploadBatch(setup);

        const QStringList reports = setup.dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains("in Corvell2021/08/31.Form1.PushButton1_Click at line 132"));
        QCOMPARE(seen.entries.size(), 2);
        QCOMPARE(seen.sizes, (QList<std::int64_t>{0, 20}));
        QCOMPARE(seen.total, 20);
    }

    void uploadAfterALogoffWhileTheDialogShowsSaysNotConnected()
    {
        TransferSetup setup;
        writeLocal(setup.local.filePath("a.txt"), "a");
        selectLocal(setup.window, setup.local.path(), {"a.txt"});

        setup.pressUpload([&](Form2& dialog) {
            setup.window.PushButton8_Click();
            pressCancel(dialog);
        });

        QCOMPARE(setup.dialogs.texts(RecordedBox::Message).last(), QStringLiteral("Not connected to any server"));
    }

    void downloadBatchHoldsNamesSizesAndTheTargetFolder()
    {
        TransferSetup setup({{"pub/a.bin", 100}, {"pub/b.bin", 0}, {"pub/c.bin", 300}});
        openFolder(setup.window, "/pub/");
        const QStringList rows = listedFiles(setup.window);
        QCOMPARE(rows.size(), 3);
        selectRemote(setup.window, {rows.at(2), rows.at(0)});

        const BatchSeen seen = downloadBatch(setup);

        QCOMPARE(seen.entries, (QStringList{rows.at(0), rows.at(2)}));
        QCOMPARE(seen.remoteNames, (QList<QByteArray>{rows.at(0).toUtf8(), rows.at(2).toUtf8()}));
        QCOMPARE(seen.count, 2);
        QCOMPARE(seen.fileLine, QStringLiteral("File:       0 / 2"));
        QCOMPARE(seen.start, QStringLiteral("&Download"));
        QCOMPARE(seen.bytesTitle, QStringLiteral("Bytes received:"));
        QCOMPARE(seen.speedTitle, QStringLiteral("Speed:"));
        QCOMPARE(seen.status, "2.) /pub/" + rows.at(2));
        QCOMPARE(downloadFolder, setup.local.path() + "/");
        std::int64_t sum = 0;
        for (std::int64_t size : seen.sizes)
            sum += size;
        QCOMPARE(seen.total, sum);
        QCOMPARE(seen.totalText, QString::number(sum));
        QCOMPARE(setup.dialogs.texts(), QStringList());
    }

    void downloadBatchSizesComeFromTheListedSizeTexts_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sizeTexts");
        QTest::addColumn<QList<std::int64_t>>("sizes");
        QTest::addColumn<std::int64_t>("total");
        QTest::addColumn<bool>("reported");
        QTest::newRow("size that is not a number is reported and kept with size zero")
            << QStringList{"odd.txt", "fine.txt"} << QStringList{"abc", "7"} << QList<std::int64_t>{0, 7}
            << std::int64_t(7) << true;
        QTest::newRow("total beyond four gibibytes does not overflow")
            << QStringList{"big1.iso", "big2.iso"} << QStringList{"3000000000", "2500000000"}
            << QList<std::int64_t>{3000000000LL, 2500000000LL} << std::int64_t(5500000000LL) << false;
    }
    void downloadBatchSizesComeFromTheListedSizeTexts()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sizeTexts);
        QFETCH(QList<std::int64_t>, sizes);
        QFETCH(std::int64_t, total);
        QFETCH(bool, reported);
        TransferSetup setup;
        for (qsizetype i = 0; i < names.size(); ++i)
            addRemoteRow(setup.window, names.at(i), sizeTexts.at(i));

        const BatchSeen seen = downloadBatch(setup);

        const QStringList reports = setup.dialogs.texts(RecordedBox::ErrorReport);
        QCOMPARE(setup.dialogs.texts().size(), reported ? 1 : 0);
        QCOMPARE(reports.size(), reported ? 1 : 0);
        if (reported)
            QVERIFY(reports.first().contains("in Corvell2021/08/31.Form1.PushButton4_Click at line 134"));
        QCOMPARE(seen.entries, names);
        QCOMPARE(seen.sizes, sizes);
        QCOMPARE(seen.total, total);
        QCOMPARE(seen.totalText, QString::number(total));
    }
};

QTEST_MAIN(TransferBatchTest)
#include "test_transfer_batch.moc"
