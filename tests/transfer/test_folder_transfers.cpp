// Whole folders through the Data Transfer dialog against the real test
// server: a tree with names in several scripts up and back byte for byte, a
// file the server refuses counted while the batch goes on, a local link loop
// left out, and no download written through a link out of the chosen folder.

#include "remote/drag_drop.h"
#include "support/folder_trees.h"
#include "support/test_certificates.h"
#include "transfer/folder_batch.h"
#include "transfer_test_helpers.h"

#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString completed = QStringLiteral("Data transfer completed.");

std::vector<std::string> toOptions(const QStringList& texts)
{
    std::vector<std::string> options;
    for (const QString& text : texts)
        options.push_back(text.toStdString());
    return options;
}

struct FolderSetup {
    explicit FolderSetup(const QStringList& options = {}) : server(toOptions(options))
    {
        window.filLocalFile->setShowHidden(true);
        logOn(window, server);
    }
    DialogRun upload(const QString& folder, const std::function<void(Form2&)>& whileShown = pressStart)
    {
        return runDialog(window, [&] { uploadLocalPaths(window, {folder}); }, whileShown);
    }
    void download(const QString& key, const QString& into)
    {
        window.dirLocalDir->setPath(into);
        openFolder(window, QStringLiteral("/"));  // the tree learns the folders made meanwhile
        if (QTreeWidgetItem* node = window.nodeByKey(key))
            runWalkedDialog(window, [&] { downloadRemoteItems(window, {remoteFolderItem(node)}); });
    }
    TestFtpServer server;
    RecordingDialogs dialogs;
    Form1 window;
    QTemporaryDir local;
};

// Drops `data` on `view` as the desktop would; true when the drop was taken.
bool drop(QAbstractItemView* view, const std::unique_ptr<QMimeData>& data)
{
    const QPoint at = view->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &dropped);
    return dropped.isAccepted();
}

std::unique_ptr<QMimeData> fromList(const char* list, const QString& folder = {})
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QLatin1String(windowDragFormat), (QLatin1String(list) + (folder.isEmpty() ? QString() : QStringLiteral("\n") + folder)).toUtf8());
    return data;
}

// Lets a drop's transfer run: presses start on the dialog it opens and
// waits until that dialog has closed.
void runDroppedTransfer(Form1& window)
{
    bool pressed = false;
    QTimer presser;
    presser.setInterval(5);
    QObject::connect(&presser, &QTimer::timeout, &window, [&] {
        auto* dialog = window.findChild<Form2*>();
        if (dialog && dialog->isVisible() && !pressed) {
            pressed = true;
            pressStart(*dialog);
        }
    });
    presser.start();
    QTRY_VERIFY_WITH_TIMEOUT(pressed && !window.findChild<Form2*>(), 20000);
}

} // namespace

class FolderTransferTest : public QObject {
    Q_OBJECT
private slots:
    void treeGoesUpAndComesBackByteExact_data()
    {
        QTest::addColumn<QStringList>("serverOptions");
        QTest::newRow("FTP") << QStringList{};
        QTest::newRow("FTPS") << QStringList{"--tls", "--tls-cert", QString::fromStdString(testCertificate("trusted.pem"))};
    }

    void treeGoesUpAndComesBackByteExact()
    {
        QFETCH(QStringList, serverOptions);
        InternetSetTrustedAuthorities(testCertificate("ca.pem"));
        FolderSetup setup(serverOptions);
        QVERIFY(setup.window.session.isConnected());
        const QMap<QString, QByteArray> tree = sampleTree();
        writeTree(setup.local.filePath("site"), tree);
        setup.server.makeFolder("site");  // an existing folder is used as it is
        QString fileCount;
        qint64 total = 0;

        const DialogRun up = setup.upload(setup.local.filePath("site"), [&](Form2& dialog) {
            fileCount = dialog.Label2->text();
            total = dialog.batchTotal;
            pressStart(dialog);
        });

        QVERIFY(up.shown);
        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QCOMPARE(fileCount, QStringLiteral("File:       0 / 60"));
        qint64 treeBytes = 0;
        for (const QByteArray& bytes : tree)
            treeBytes += bytes.size();
        QCOMPARE(total, treeBytes);
        QVERIFY(readTree(QString::fromStdString(setup.server.root()) + "/site") == tree);

        setup.dialogs.clear();
        QTemporaryDir back;
        setup.download(QStringLiteral("/site/"), back.path());

        QCOMPARE(setup.dialogs.texts(), QStringList{completed});
        QVERIFY(readTree(back.filePath("site")) == tree);
    }

    void refusedFilesAreCountedAndTheBatchGoesOn()
    {
        FolderSetup setup({"--refuse-stor", "b.txt", "--refuse-retr", "c.txt"});
        writeTree(setup.local.filePath("up"), {{"a.txt", "a"}, {"in/b.txt", "b"}, {"in/c.txt", "c"}});

        setup.upload(setup.local.filePath("up"));

        QCOMPARE(setup.dialogs.texts(), QStringList{"1 of 3 files were not transferred."});
        QCOMPARE(setup.server.readFile("up/in/c.txt"), std::string("c"));
        QVERIFY(!setup.server.exists("up/in/b.txt"));

        setup.dialogs.clear();
        QTemporaryDir back;
        setup.download(QStringLiteral("/up/"), back.path());

        QCOMPARE(setup.dialogs.texts(), QStringList{"1 of 2 files were not transferred."});
        QCOMPARE(readTree(back.filePath("up")), (QMap<QString, QByteArray>{{"a.txt", "a"}}));
    }

    void localLinkLoopIsLeftOutWithAMessage()
    {
        FolderSetup setup;
        writeTree(setup.local.filePath("top"), {{"a.txt", "a"}, {"in/b.txt", "b"}});
        QVERIFY(QFile::link(setup.local.filePath("top"), setup.local.filePath("top/in/back")));
        QVERIFY(QFile::link(setup.local.filePath("top/in"), setup.local.filePath("top/same")));

        setup.upload(setup.local.filePath("top"));

        const QStringList boxes = setup.dialogs.texts();
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes.first().contains("back") && boxes.first().contains("left out"), qPrintable(boxes.first()));
        QCOMPARE(boxes.last(), completed);
        QCOMPARE(readTree(QString::fromStdString(setup.server.root()) + "/top"),
                 (QMap<QString, QByteArray>{{"a.txt", "a"}, {"in/b.txt", "b"}}));
    }

    // A link named like the remote folder, already in the download folder,
    // points elsewhere: nothing may be written through it.
    void downloadNeverWritesThroughALinkOutOfTheChosenFolder()
    {
        FolderSetup setup;
        setup.server.makeFolder("site");
        setup.server.writeFile("site/x.txt", "x");
        QTemporaryDir into, elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), into.filePath("site")));

        setup.download(QStringLiteral("/site/"), into.path());

        QCOMPARE(setup.dialogs.texts(), QStringList{"1 of 1 files were not transferred."});
        QVERIFY(folderEntries(elsewhere.path()).isEmpty());
    }


    // Each drop starts what its button (or folder menu) starts; a drop on
    // the side it came from starts nothing.
    void dropsStartWhatTheButtonsStart()
    {
        FolderSetup setup;
        writeTree(setup.local.filePath("pick"), {{"a.txt", "a"}, {"b.txt", "b"}});
        writeTree(setup.local.filePath("desk"), {{"tree/in/c.txt", "c"}, {"d.txt", "d"}});
        selectLocal(setup.window, setup.local.filePath("pick"), {"b.txt"});

        QVERIFY(!drop(setup.window.filLocalFile, fromList("filLocalFile")));
        QVERIFY(drop(setup.window.ListView1, fromList("filLocalFile")));
        runDroppedTransfer(setup.window);
        QVERIFY(!setup.server.exists("a.txt"));
        QCOMPARE(setup.server.readFile("b.txt"), std::string("b"));

        QVERIFY(drop(setup.window.TView1, fromList("dirLocalDir", setup.local.filePath("pick"))));
        runDroppedTransfer(setup.window);
        QCOMPARE(setup.server.readFile("pick/a.txt"), std::string("a"));

        const auto desktop = std::make_unique<QMimeData>();
        desktop->setUrls({QUrl::fromLocalFile(setup.local.filePath("desk/tree")),
                          QUrl::fromLocalFile(setup.local.filePath("desk/d.txt"))});
        QVERIFY(!drop(setup.window.filLocalFile, desktop));
        QVERIFY(drop(setup.window.ListView1, desktop));
        runDroppedTransfer(setup.window);
        QCOMPARE(setup.server.readFile("tree/in/c.txt"), std::string("c"));
        QCOMPARE(setup.server.readFile("d.txt"), std::string("d"));

        QTemporaryDir into;
        setup.window.dirLocalDir->setPath(into.path());
        openFolder(setup.window, QStringLiteral("/"));
        selectRemote(setup.window, {"d.txt"});
        QVERIFY(!drop(setup.window.ListView1, fromList("ListView1")));
        QVERIFY(drop(setup.window.filLocalFile, fromList("ListView1")));
        runDroppedTransfer(setup.window);
        QCOMPARE(readLocal(into.filePath("d.txt")), QByteArray("d"));
        QVERIFY(drop(setup.window.dirLocalDir, fromList("TView1", QStringLiteral("/tree/"))));
        runDroppedTransfer(setup.window);
        QCOMPARE(readLocal(into.filePath("tree/in/c.txt")), QByteArray("c"));
    }
};

QTEST_MAIN(FolderTransferTest)
#include "test_folder_transfers.moc"
