// Reading a remote folder into the file list and the folder tree.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets a file's modification time, given in UTC, as the server reports it.
void setModified(const TestFtpServer& server, const std::string& relativePath, int year, int month,
                 int day, int hour, int minute)
{
    const QDateTime when(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
    const timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    const std::string path = server.root() + "/" + relativePath;
    QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A file of `size` bytes that takes no disk space.
void makeSparseFile(const TestFtpServer& server, const std::string& relativePath, off_t size)
{
    const std::string path = server.root() + "/" + relativePath;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::ftruncate(fd, size), 0);
    ::close(fd);
}

QString reportStepLine(const QString& report)
{
    return report.section(QStringLiteral("\r\n"), 1).section(QStringLiteral("\r\r"), 0, 0);
}

} // namespace

class ListingTest : public QObject {
    Q_OBJECT

private slots:
    void folderFillsListWithFilesAndTreeWithFolders();
    void everyColumnEdgeCanBeDraggedAndDoubleClickFitsIt();
    void narrowLastColumnStaysReachableAtTheListsRightEdge_data();
    void narrowLastColumnStaysReachableAtTheListsRightEdge();
    void rowsCarryDateSizeIconAndRawName();
    void filesOfFourGibibytesAndMoreShowTheirFullSize();
    void emptyFolderGivesCountZero();
    void missingFolderGivesCountZeroWithoutABox();
    void namesWithSpacesAndNonAsciiLettersArriveWhole();
    void notConnectedOnlyTellsSoAndKeepsTheList();
    void listingTwiceWithoutPruningReportsEachDuplicateFolderAndGoesOn();
    void busyPointerAndProgressTextsShowWhileWaiting();
    void serverGoneSaysTheConnectionWasLostInsteadOfACount();
    void silentServerSaysItDidNotAnswerInTime();
    void folderLinkOpensAsAFolderWithItsFiles();
};

void ListingTest::folderFillsListWithFilesAndTreeWithFolders()
{
    TestFtpServer server;
    server.makeFolder("a");
    server.writeFile("a/one.txt", "1");
    server.writeFile("a/two.gif", "22");
    server.makeFolder("a/x");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    openFolder(window, QStringLiteral("/a/"));

    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    QCOMPARE(sorted(listedFiles(window)), (QStringList{"one.txt", "two.gif"}));
    QTreeWidgetItem* folder = window.nodeByKey(QStringLiteral("/a/"));
    QVERIFY(folder);
    QCOMPARE(childKeys(folder), QStringList{QStringLiteral("/a/x/")});
    QCOMPARE(folder->child(0)->text(0), QStringLiteral("x"));
    QVERIFY(window.TView1->topLevelItem(0)->isExpanded());
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 2 Files in folder: /a/*.*"));
    // Folders go only to the tree, files only to the list.
    QVERIFY(!row(window, QStringLiteral("x")));
    QVERIFY(window.ListView1->selectedItems().isEmpty());
    QCOMPARE(window.MousePointer(), int(vbDefault));
    // The window's current node is the last folder added.
    QCOMPARE(window.currentNode, folder->child(0));
}

void ListingTest::rowsCarryDateSizeIconAndRawName()
{
    TestFtpServer server;
    server.writeFile("Photo.JPG", "0123456789");
    server.writeFile("empty.txt", "");
    setModified(server, "Photo.JPG", 2021, 3, 5, 14, 7);
    setModified(server, "empty.txt", 2020, 11, 12, 9, 5);
    RecordingDialogs dialogs;
    Form1 window;

    logOn(window, server);

    QVERIFY(dialogs.boxes.isEmpty());
    QTreeWidgetItem* photo = row(window, QStringLiteral("Photo.JPG"));
    QTreeWidgetItem* empty = row(window, QStringLiteral("empty.txt"));
    QVERIFY(photo && empty);
    QCOMPARE(photo->text(1), QStringLiteral("5.3.2021 14:07"));
    QCOMPARE(photo->text(2), QStringLiteral("10"));
    QCOMPARE(empty->text(1), QStringLiteral("12.11.2020 9:05"));
    QCOMPARE(empty->text(2), QStringLiteral("0"));
    QVERIFY(!photo->icon(0).isNull());
    QVERIFY(!empty->icon(0).isNull());
    QCOMPARE(photo->data(0, Form1::RemoteNameRole).toByteArray(), QByteArray("Photo.JPG"));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 2 Files in folder: /*.*"));
}

void ListingTest::filesOfFourGibibytesAndMoreShowTheirFullSize()
{
    TestFtpServer server;
    makeSparseFile(server, "three.iso", off_t(3) << 30);
    makeSparseFile(server, "five.iso", off_t(5) << 30);
    RecordingDialogs dialogs;
    Form1 window;

    logOn(window, server);

    QVERIFY(dialogs.boxes.isEmpty());
    QVERIFY(row(window, QStringLiteral("three.iso")));
    QVERIFY(row(window, QStringLiteral("five.iso")));
    QCOMPARE(row(window, QStringLiteral("three.iso"))->text(2), QStringLiteral("3221225472"));
    QCOMPARE(row(window, QStringLiteral("five.iso"))->text(2), QStringLiteral("5368709120"));
}

void ListingTest::emptyFolderGivesCountZero()
{
    TestFtpServer server;
    server.writeFile("root.txt", "r");
    server.makeFolder("empty");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    openFolder(window, QStringLiteral("/empty/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(window.nodeByKey(QStringLiteral("/empty/"))->childCount(), 0);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 0 Files in folder: /empty/*.*"));
    QCOMPARE(window.MousePointer(), int(vbDefault));
}

void ListingTest::missingFolderGivesCountZeroWithoutABox()
{
    TestFtpServer server;
    server.makeFolder("gone");
    server.writeFile("gone/file.txt", "f");
    server.writeFile("root.txt", "r");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    std::filesystem::remove_all(server.root() + "/gone");

    openFolder(window, QStringLiteral("/gone/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 0 Files in folder: /gone/*.*"));
    QCOMPARE(window.selectedNode(), window.nodeByKey(QStringLiteral("/gone/")));
    QVERIFY(window.session.isConnected());
}

void ListingTest::namesWithSpacesAndNonAsciiLettersArriveWhole()
{
    TestFtpServer server;
    const QString accented = QStringLiteral("žluťoučký kůň.txt");
    const QString spaced = QStringLiteral("two  spaces .doc");
    const QString folderName = QStringLiteral("složka s mezerou");
    server.writeFile(accented.toStdString(), "abc");
    server.writeFile(spaced.toStdString(), "ab");
    server.makeFolder(folderName.toStdString());
    server.writeFile(folderName.toStdString() + "/uvnitř.txt", "x");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(sorted(listedFiles(window)), sorted({accented, spaced}));
    QCOMPARE(row(window, accented)->text(2), QStringLiteral("3"));
    QCOMPARE(row(window, accented)->data(0, Form1::RemoteNameRole).toByteArray(), accented.toUtf8());
    QCOMPARE(row(window, spaced)->data(0, Form1::RemoteNameRole).toByteArray(), spaced.toUtf8());
    const QString key = QLatin1Char('/') + folderName + QLatin1Char('/');
    QVERIFY(window.nodeByKey(key));
    QCOMPARE(window.nodeByKey(key)->text(0), folderName);

    openFolder(window, key);

    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("uvnitř.txt")});
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: ") + key + QStringLiteral("*.*"));
}

void ListingTest::notConnectedOnlyTellsSoAndKeepsTheList()
{
    RecordingDialogs dialogs;
    Form1 window;
    auto* kept = new QTreeWidgetItem(window.ListView1, QStringList{QStringLiteral("kept.txt")});
    window.setStatus(QStringLiteral("before"));

    window.list();

    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("You are not connected to any server")});
    QCOMPARE(dialogs.boxes[0].kind, RecordedBox::Message);
    QCOMPARE(window.ListView1->topLevelItemCount(), 1);
    QCOMPARE(window.ListView1->topLevelItem(0), kept);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("before"));
    QCOMPARE(window.MousePointer(), int(vbDefault));
}

void ListingTest::listingTwiceWithoutPruningReportsEachDuplicateFolderAndGoesOn()
{
    TestFtpServer server;
    server.makeFolder("a");
    server.makeFolder("b");
    server.writeFile("f.txt", "f");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    QVERIFY(dialogs.boxes.isEmpty());

    // Without the navigation's pruning both folders are already in the tree.
    window.list();

    const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(reports.size(), 2);
    for (const QString& report : reports)
        QCOMPARE(reportStepLine(report), QStringLiteral("in Corvell2021/08/31.Form1.list at line 126"));
    QCOMPARE(sorted(childKeys(window.nodeByKey(QStringLiteral("/")))), (QStringList{"/a/", "/b/"}));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("f.txt")});
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /*.*"));
    QCOMPARE(window.MousePointer(), int(vbDefault));
}

void ListingTest::busyPointerAndProgressTextsShowWhileWaiting()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.makeFolder("sub");
    server.writeFile("sub/b.txt", "b");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    // Timers run at the listing's two yields; each records what the window shows.
    struct Moment {
        QString status;
        int pointer;
        int rows;
    };
    QList<Moment> moments;
    const auto record = [&] {
        moments << Moment{window.lblStatus->text(), window.MousePointer(), window.ListView1->topLevelItemCount()};
    };
    QTimer::singleShot(0, &window, [&] {
        record();
        QTimer::singleShot(0, &window, record);
    });
    openFolder(window, QStringLiteral("/sub/"));

    QCOMPARE(moments.size(), 2);
    QCOMPARE(moments[0].status, QStringLiteral("Sending request...Please wait."));
    QCOMPARE(moments[0].pointer, int(vbHourglass));
    QCOMPARE(moments[1].status, QStringLiteral("Opening folder: \"/sub/*.*\""));
    QCOMPARE(moments[1].pointer, int(vbHourglass));
    QCOMPARE(moments[1].rows, 0);
    QCOMPARE(window.MousePointer(), int(vbDefault));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("b.txt")});
}

void ListingTest::serverGoneSaysTheConnectionWasLostInsteadOfACount()
{
    auto server = std::make_unique<TestFtpServer>();
    server->writeFile("a.txt", "a");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, *server);
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("a.txt")});
    server.reset();

    openFolder(window, QStringLiteral("/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Connection to the server was lost."));
    QVERIFY(window.session.isConnected());
    QCOMPARE(window.MousePointer(), int(vbDefault));
}

void ListingTest::silentServerSaysItDidNotAnswerInTime()
{
    TestFtpServer server({"--stall", "MLSD"});
    InternetSetDefaultTimeout(std::chrono::milliseconds(1000));
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    InternetSetDefaultTimeout(std::chrono::milliseconds(30000));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("The server did not answer in time."));
}

void ListingTest::folderLinkOpensAsAFolderWithItsFiles()
{
    // A LIST line "public_html -> site" does not tell a folder from a file.
    TestFtpServer server({"--no-mlst"});
    server.makeFolder("site");
    server.writeFile("site/index.html", "<p>");
    server.writeFile("a.txt", "a");
    server.makeLink("site", "public_html");
    server.makeLink("a.txt", "notes");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    QCOMPARE(sorted(childKeys(window.nodeByKey(QStringLiteral("/")))), (QStringList{"/public_html/", "/site/"}));
    QCOMPARE(sorted(listedFiles(window)), (QStringList{"a.txt", "notes"}));

    openFolder(window, QStringLiteral("/public_html/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("index.html")});
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /public_html/*.*"));
}

// Presses on the file list's header at `x`, drags 40 pixels right and lets go;
// returns the column that grew (-1: none) and puts the widths back.
int columnDraggedFrom(QHeaderView* header, int x)
{
    QList<int> before;
    for (int column = 0; column < header->count(); ++column)
        before << header->sectionSize(column);
    const int y = header->viewport()->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseMove(header->viewport(), QPoint(x + 40, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(x + 40, y));
    int grown = -1;
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionSize(column) > before[column])
            grown = column;
        header->resizeSection(column, before[column]);
    }
    return grown;
}

void ListingTest::everyColumnEdgeCanBeDraggedAndDoubleClickFitsIt()
{
    TestFtpServer server;
    server.writePatternFile("report with a long name.txt", 1234567);
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    logOn(window, server);
    QHeaderView* header = window.ListView1->header();
    QCOMPARE(header->sectionSize(1), 1);
    QCOMPARE(header->sectionSize(2), 1);

    // Around the one visible line where the three edges meet, each column
    // can be caught on several pixels.
    const int line = header->sectionSize(0);
    QMap<int, int> pixelsPerColumn;
    for (int x = line - 6; x < line + 20; ++x)
        ++pixelsPerColumn[columnDraggedFrom(header, x)];
    for (int column = 0; column < 3; ++column)
        QVERIFY2(pixelsPerColumn.value(column) >= 3, qPrintable(QString::number(column)));

    // A double-click on the grip of the last column fits it to its content.
    int lastGrip = line;
    while (lastGrip < line + 20 && columnDraggedFrom(header, lastGrip) != 2)
        ++lastGrip;
    const int y = header->viewport()->height() / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(lastGrip, y));
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(lastGrip, y));
    QVERIFY(header->sectionSize(2) >= window.ListView1->fontMetrics().horizontalAdvance("1234567"));
    QVERIFY(header->sectionSize(2) >= window.ListView1->fontMetrics().horizontalAdvance("File Size"));
    QCOMPARE(header->sectionSize(1), 1);
}

void ListingTest::narrowLastColumnStaysReachableAtTheListsRightEdge_data()
{
    QTest::addColumn<int>("pastTheEdge");  // where "Date Modified" ends, from the list's right edge
    QTest::newRow("at the edge") << 0;
    QTest::newRow("one pixel short") << -1;
    QTest::newRow("beyond, scrolled to the end") << 60;
}

// "Date Modified" dragged out to the list's right edge leaves "File Size",
// one pixel wide, at that edge: its grip must lie inside the list.
void ListingTest::narrowLastColumnStaysReachableAtTheListsRightEdge()
{
    QFETCH(int, pastTheEdge);
    TestFtpServer server;
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    logOn(window, server);
    QHeaderView* header = window.ListView1->header();
    const int right = header->viewport()->width();
    header->resizeSection(1, right + pastTheEdge - header->sectionSize(0));
    QCOMPARE(header->sectionSize(2), 1);
    QScrollBar* scroll = window.ListView1->horizontalScrollBar();

    QMap<int, int> pixelsPerColumn;
    for (int x = right - 20; x < right; ++x) {
        QCoreApplication::processEvents();
        scroll->setValue(scroll->maximum());
        ++pixelsPerColumn[columnDraggedFrom(header, x)];
    }
    QVERIFY2(pixelsPerColumn.value(2) >= 2, qPrintable(QString::number(pixelsPerColumn.value(2))));
    QVERIFY2(pixelsPerColumn.value(1) >= 2, qPrintable(QString::number(pixelsPerColumn.value(1))));
}

QTEST_MAIN(ListingTest)
#include "test_listing.moc"
