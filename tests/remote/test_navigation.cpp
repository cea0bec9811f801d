// Opening and refreshing remote folders from the folder tree.

#include "main_window/form1.h"
#include "main_window/status_line.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

namespace {

long countOf(const TestFtpServer& server, const std::string& command)
{
    const auto log = server.commandLog();
    return std::count(log.begin(), log.end(), command);
}

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void clickingAFolderMakesItCurrentAndListsIt();
    void reopeningAFolderRebuildsItsSubtreeFromTheServer();
    void clickingTheRootListsSlash();
    void nothingHappensWithoutASelectedNode();
    void twoClicksGiveTheSameResultAsOne();
    void mouseClickOnANodeOpensItAndBlankSpaceKeepsIt();
    void keyboardOpensTheFolderItHighlights_data();
    void keyboardOpensTheFolderItHighlights();
    void doubleClickOpensAFolderAndLeavesItExpanded();
    void deepFolderShowsInTheStatusLineWithItsMiddleElided();
};

void NavigationTest::clickingAFolderMakesItCurrentAndListsIt()
{
    TestFtpServer server;
    server.makeFolder("a/b");
    server.writeFile("a/f.txt", "f");
    server.writeFile("top.txt", "t");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    openFolder(window, QStringLiteral("/a/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QTreeWidgetItem* node = window.nodeByKey(QStringLiteral("/a/"));
    QCOMPARE(window.session.currentPath, QStringLiteral("/a/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/a/*.*"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("f.txt")});
    QCOMPARE(childKeys(node), QStringList{QStringLiteral("/a/b/")});
    QVERIFY(node->isExpanded());
    QCOMPARE(window.selectedNode(), node);
    QVERIFY(countOf(server, "CWD /a/") == 1);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /a/*.*"));

    openFolder(window, QStringLiteral("/a/b/"));
    QCOMPARE(window.session.currentPath, QStringLiteral("/a/b/"));
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(treeOutline(window), (QStringList{"/|..", "./a/|a", "../a/b/|b"}));
}

void NavigationTest::reopeningAFolderRebuildsItsSubtreeFromTheServer()
{
    TestFtpServer server;
    server.makeFolder("a/keep/inner");
    server.makeFolder("a/drop");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/a/"));
    openFolder(window, QStringLiteral("/a/keep/"));
    QCOMPARE(childKeys(window.nodeByKey(QStringLiteral("/a/keep/"))), QStringList{QStringLiteral("/a/keep/inner/")});

    std::filesystem::remove_all(server.root() + "/a/drop");
    server.makeFolder("a/new");
    server.writeFile("a/new.txt", "n");
    openFolder(window, QStringLiteral("/a/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(sorted(childKeys(window.nodeByKey(QStringLiteral("/a/")))), (QStringList{"/a/keep/", "/a/new/"}));
    QVERIFY(!window.nodeByKey(QStringLiteral("/a/drop/")));
    // The old grandchildren went with the pruned children.
    QVERIFY(!window.nodeByKey(QStringLiteral("/a/keep/inner/")));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("new.txt")});
}

void NavigationTest::clickingTheRootListsSlash()
{
    TestFtpServer server;
    server.makeFolder("a/b");
    server.writeFile("root.txt", "r");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/a/"));
    openFolder(window, QStringLiteral("/a/b/"));

    openFolder(window, QStringLiteral("/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.session.currentPath, QStringLiteral("/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/*.*"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("root.txt")});
    QCOMPARE(treeOutline(window), (QStringList{"/|..", "./a/|a"}));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /*.*"));
}

void NavigationTest::nothingHappensWithoutASelectedNode()
{
    TestFtpServer server;
    server.makeFolder("a");
    server.writeFile("a/f.txt", "f");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/a/"));
    window.TView1->clearSelection();
    const auto commandsBefore = server.commandLog().size();
    const QStringList outline = treeOutline(window);
    const QString status = window.lblStatus->text();

    window.TView1_NodeClick();

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.session.currentPath, QStringLiteral("/a/"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("f.txt")});
    QCOMPARE(treeOutline(window), outline);
    QCOMPARE(window.lblStatus->text(), status);
    QCOMPARE(server.commandLog().size(), commandsBefore);
}

void NavigationTest::twoClicksGiveTheSameResultAsOne()
{
    TestFtpServer server;
    server.makeFolder("a/x");
    server.makeFolder("a/y");
    server.writeFile("a/1.txt", "1");
    server.writeFile("a/2.txt", "22");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);

    openFolder(window, QStringLiteral("/a/"));
    const QStringList outlineOnce = treeOutline(window);
    const QStringList filesOnce = listedFiles(window);
    const QString statusOnce = window.lblStatus->text();
    openFolder(window, QStringLiteral("/a/"));

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(treeOutline(window), outlineOnce);
    QCOMPARE(listedFiles(window), filesOnce);
    QCOMPARE(window.lblStatus->text(), statusOnce);
    QCOMPARE(outlineOnce.size(), 4);
    QCOMPARE(filesOnce.size(), 2);
}

void NavigationTest::mouseClickOnANodeOpensItAndBlankSpaceKeepsIt()
{
    TestFtpServer server;
    server.makeFolder("a");
    server.writeFile("a/f.txt", "f");
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    logOn(window, server);

    QTreeWidgetItem* node = window.nodeByKey(QStringLiteral("/a/"));
    QVERIFY(node);
    const QRect place = window.TView1->visualItemRect(node);
    QTest::mouseClick(window.TView1->viewport(), Qt::LeftButton, {}, place.center());

    QCOMPARE(window.session.currentPath, QStringLiteral("/a/"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("f.txt")});
    QVERIFY(dialogs.boxes.isEmpty());

    // A click below the nodes keeps the open folder selected for the next refresh.
    const QPoint blank(5, window.TView1->viewport()->height() - 5);
    QVERIFY(!window.TView1->itemAt(blank));
    QTest::mouseClick(window.TView1->viewport(), Qt::LeftButton, {}, blank);
    QCOMPARE(window.selectedNode(), node);
}

void NavigationTest::keyboardOpensTheFolderItHighlights_data()
{
    QTest::addColumn<QString>("keys");  // "v" Down, "E" End, "H" Home, others typed
    QTest::addColumn<int>("opened");    // the root's child in tree order; -1 the root
    QTest::newRow("down") << "v" << 0;
    QTest::newRow("down twice") << "vv" << 1;
    QTest::newRow("end") << "E" << 2;
    QTest::newRow("end then home") << "EH" << -1;
    QTest::newRow("typed name") << "c" << 3;  // 3: the node named c, wherever it is
}

void NavigationTest::keyboardOpensTheFolderItHighlights()
{
    QFETCH(QString, keys);
    QFETCH(int, opened);
    TestFtpServer server;
    for (const char* folder : {"a", "b", "c"})
        server.writeFile(std::string(folder) + "/in-" + folder + ".txt", "x");
    server.writeFile("top.txt", "t");
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    logOn(window, server);
    QTreeWidgetItem* root = window.nodeByKey(QStringLiteral("/"));
    QTreeWidgetItem* expected = opened < 0 ? root
        : opened < 3                       ? root->child(opened)
                                           : window.nodeByKey(QStringLiteral("/c/"));
    window.TView1->setFocus();

    for (const QChar key : keys) {
        const std::size_t listingsBefore = listingCount(server);
        if (key == 'v' || key == 'E' || key == 'H')
            QTest::keyClick(window.TView1, key == 'v' ? Qt::Key_Down : key == 'E' ? Qt::Key_End : Qt::Key_Home);
        else
            QTest::keyClicks(window.TView1, key);
        QCOMPARE(listingCount(server), listingsBefore + 1);
    }

    QCOMPARE(window.selectedNode(), expected);
    const QString key = expected->data(0, Form1::NodeKeyRole).toString();
    QCOMPARE(window.session.currentPath, key);
    const QString file = key == "/" ? QStringLiteral("top.txt") : "in-" + expected->text(0) + ".txt";
    QCOMPARE(listedFiles(window), QStringList{file});
    QVERIFY(dialogs.boxes.isEmpty());
}

void NavigationTest::doubleClickOpensAFolderAndLeavesItExpanded()
{
    TestFtpServer server;
    server.makeFolder("a/inner");
    server.writeFile("a/f.txt", "f");
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    logOn(window, server);
    QTreeWidgetItem* node = window.nodeByKey(QStringLiteral("/a/"));
    QVERIFY(node);
    const std::size_t listingsBefore = listingCount(server);

    // Through the window, so the press, release, press and double-click
    // arrive as from a real mouse.
    const QPoint place = window.TView1->viewport()->mapTo(&window, window.TView1->visualItemRect(node).center());
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, place);
    QCoreApplication::processEvents();

    QCOMPARE(window.session.currentPath, QStringLiteral("/a/"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("f.txt")});
    QVERIFY(node->isExpanded());
    QCOMPARE(childKeys(node), QStringList{QStringLiteral("/a/inner/")});
    QVERIFY(listingCount(server) - listingsBefore <= 2);
}

// The status line is as wide as the window: a deep path does not fit. It
// keeps what happened and the end of the path, with "…" between them.
void NavigationTest::deepFolderShowsInTheStatusLineWithItsMiddleElided()
{
    const std::string deep = "first folder of a long way down/second folder/third folder/fourth folder/fifth folder/sixth folder/last one";
    TestFtpServer server;
    server.makeFolder(deep);
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    auto* status = qobject_cast<StatusLine*>(window.lblStatus);
    QVERIFY(status);
    QCOMPARE(status->shownText(), status->text());  // short texts show whole

    QString key = QStringLiteral("/");
    for (const QString& folder : QString::fromStdString(deep).split(QLatin1Char('/'))) {
        key += folder + QLatin1Char('/');
        openFolder(window, key);
    }

    const QString shown = status->shownText();
    QVERIFY2(shown.startsWith(QLatin1String("Server: 0 Files in ")) && shown.endsWith(QLatin1String("/last one/*.*"))
                 && shown.contains(QChar(0x2026)),
             qPrintable(shown));
    QVERIFY(status->fontMetrics().horizontalAdvance(shown) <= status->contentsRect().width());
    QCOMPARE(status->text(), QStringLiteral("Server: 0 Files in folder: ") + key + QStringLiteral("*.*"));
}

QTEST_MAIN(NavigationTest)
#include "test_navigation.moc"
