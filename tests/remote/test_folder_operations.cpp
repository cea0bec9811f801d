// "New Folder" and "Delete Folder" against a real server: the requests sent,
// the texts shown, and the tree and list left behind.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

const QString createFailed = QStringLiteral("An error osccured while creating folder");
const QString removeFailedMessage = QStringLiteral("An error occured! Make sure that folder contains no files");
const QString removeFailedStatus = QStringLiteral("An error occured while removing folder");

QString selectedKey(const Form1& window)
{
    const QTreeWidgetItem* node = window.selectedNode();
    return node ? node->data(0, Form1::NodeKeyRole).toString() : QString();
}

// Selects a node without opening it, as a keyboard move in the tree would.
void selectOnly(Form1& window, const QString& key)
{
    window.TView1->clearSelection();
    if (QTreeWidgetItem* node = window.nodeByKey(key))
        node->setSelected(true);
}

using Connected = ConnectedWindow;

} // namespace

class FolderOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void notConnectedNoticesDifferOnlyInCapitalS();

    void newFolderCancelOrEmptyNameDoesNothing();
    void newFolderInRootCreatesItAndAddsItsNode();
    void newFolderInSubfolderWithoutSelectedNodeStopsAtFolderCreated();
    void newFolderNamesAreSentExactlyAsTyped_data();
    void newFolderNamesAreSentExactlyAsTyped();
    void newFolderWithExistingNameIsRefused();
    void newFolderNameWithLineBreakIsRefusedBeforeSending();

    void deleteFolderWithoutSelectedNodeDoesNothing();
    void deleteFolderRefusesTheRoot();
    void deleteFolderAnsweredNoChangesNothing();
    void deleteFolderRemovesNestedFolderAndOpensItsParent();
    void deleteFolderOfFirstLevelOpensTheRoot();
    void deleteFolderHoldingFilesIsRefusedAndTreeKept();
    void deleteFolderWorksOnTheSelectedNodeEvenIfNotOpened();
};

void FolderOperationsTest::notConnectedNoticesDifferOnlyInCapitalS()
{
    RecordingDialogs dialogs;
    Form1 window;
    const QString statusBefore = window.lblStatus->text();

    window.PushButton6_Click();
    window.PushButton7_Click();

    QCOMPARE(dialogs.texts(RecordedBox::Message),
             (QStringList{QStringLiteral("Not connected to any server"), QStringLiteral("Not connected to any Server")}));
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(window.lblStatus->text(), statusBefore);
}

void FolderOperationsTest::newFolderCancelOrEmptyNameDoesNothing()
{
    Connected c;
    c.logOnNow();
    const auto logBefore = c.server.commandLog();
    const QString statusBefore = c.window->lblStatus->text();
    const QStringList treeBefore = treeOutline(*c.window);

    c.dialogs.inputAnswers = {QString(), QString()};  // Cancel, then OK on an empty field
    c.window->PushButton6_Click();
    c.window->PushButton6_Click();

    QCOMPARE(c.dialogs.boxes.size(), 2);
    for (const RecordedBox& box : c.dialogs.boxes) {
        QCOMPARE(box.kind, RecordedBox::Input);
        QCOMPARE(box.text, QStringLiteral("Type name for the new folder"));
        QCOMPARE(box.caption, QStringLiteral("New Folder"));
    }
    QCOMPARE(c.server.commandLog(), logBefore);
    QCOMPARE(c.window->lblStatus->text(), statusBefore);
    QCOMPARE(treeOutline(*c.window), treeBefore);
}

void FolderOperationsTest::newFolderInRootCreatesItAndAddsItsNode()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    c.dialogs.inputAnswers = {QStringLiteral("docs")};

    c.window->PushButton6_Click();

    QCOMPARE(c.dialogs.texts(RecordedBox::Message), QStringList());
    QCOMPARE(commandsStartingWith(c.server, "MKD"), std::vector<std::string>{"MKD /docs"});
    QVERIFY(c.server.exists("docs"));
    QTreeWidgetItem* docs = c.window->nodeByKey(QStringLiteral("/docs/"));
    QVERIFY(docs);
    QCOMPARE(docs->text(0), QStringLiteral("docs"));
    QCOMPARE(docs->parent(), c.window->nodeByKey(QStringLiteral("/")));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /*.*"));
}

void FolderOperationsTest::newFolderInSubfolderWithoutSelectedNodeStopsAtFolderCreated()
{
    Connected c;
    c.server.makeFolder("pub");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    c.window->TView1->clearSelection();
    const std::size_t listingsBefore = listingCount(c.server);
    c.dialogs.inputAnswers = {QStringLiteral("new")};

    c.window->PushButton6_Click();

    QCOMPARE(commandsStartingWith(c.server, "MKD"), std::vector<std::string>{"MKD /pub/new"});
    QVERIFY(c.server.exists("pub/new"));
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Folder created."));
    QCOMPARE(listingCount(c.server), listingsBefore);
    QVERIFY(!c.window->nodeByKey(QStringLiteral("/pub/new/")));
}

void FolderOperationsTest::newFolderNamesAreSentExactlyAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("createdOnDisk");
    QTest::addColumn<QString>("nodeKey");

    QTest::newRow("inner spaces") << QStringLiteral("my folder") << QStringLiteral("MKD /my folder")
                                  << QStringLiteral("my folder") << QStringLiteral("/my folder/");
    QTest::newRow("leading and trailing spaces")
        << QStringLiteral(" padded ") << QStringLiteral("MKD / padded ") << QStringLiteral(" padded ")
        << QStringLiteral("/ padded /");
    // A "/" reaches the server untouched: here it makes a folder inside pub.
    QTest::newRow("slash inside") << QStringLiteral("pub/inner") << QStringLiteral("MKD /pub/inner")
                                  << QStringLiteral("pub/inner") << QString();
}

void FolderOperationsTest::newFolderNamesAreSentExactlyAsTyped()
{
    QFETCH(QString, name);
    QFETCH(QString, command);
    QFETCH(QString, createdOnDisk);
    QFETCH(QString, nodeKey);

    Connected c;
    c.server.makeFolder("pub");
    c.logOnNow();
    c.dialogs.inputAnswers = {name};

    c.window->PushButton6_Click();

    QCOMPARE(c.dialogs.texts(RecordedBox::Message), QStringList());
    QCOMPARE(commandsStartingWith(c.server, "MKD"), std::vector<std::string>{command.toStdString()});
    QVERIFY(c.server.exists(createdOnDisk.toStdString()));
    if (!nodeKey.isEmpty()) {
        QTreeWidgetItem* node = c.window->nodeByKey(nodeKey);
        QVERIFY(node);
        QCOMPARE(node->text(0), name);
    }
}

void FolderOperationsTest::newFolderWithExistingNameIsRefused()
{
    Connected c;
    c.server.makeFolder("docs");
    c.logOnNow();
    const std::size_t listingsBefore = listingCount(c.server);
    const QStringList treeBefore = treeOutline(*c.window);
    QString statusAtMessage;
    c.dialogs.onBox = [&](const RecordedBox& box) {
        if (box.kind == RecordedBox::Message)
            statusAtMessage = c.window->lblStatus->text();
    };
    c.dialogs.inputAnswers = {QStringLiteral("docs")};

    c.window->PushButton6_Click();

    QCOMPARE(c.dialogs.texts(RecordedBox::Message), QStringList{createFailed});
    QCOMPARE(statusAtMessage, QStringLiteral("Sending request to create folder: \"/docs\""));
    QCOMPARE(c.window->lblStatus->text(), createFailed);
    QCOMPARE(commandsStartingWith(c.server, "MKD"), std::vector<std::string>{"MKD /docs"});
    QCOMPARE(listingCount(c.server), listingsBefore);
    QCOMPARE(treeOutline(*c.window), treeBefore);
}

void FolderOperationsTest::newFolderNameWithLineBreakIsRefusedBeforeSending()
{
    Connected c;
    c.logOnNow();
    const auto logBefore = c.server.commandLog();
    c.dialogs.inputAnswers = {QStringLiteral("x\r\nDELE /a.txt"), QString::fromUtf8("nul\0l", 5)};

    c.window->PushButton6_Click();
    c.window->PushButton6_Click();

    QCOMPARE(c.dialogs.texts(RecordedBox::Message), (QStringList{createFailed, createFailed}));
    QCOMPARE(c.window->lblStatus->text(), createFailed);
    QCOMPARE(c.server.commandLog(), logBefore);
}

void FolderOperationsTest::deleteFolderWithoutSelectedNodeDoesNothing()
{
    Connected c;
    c.server.makeFolder("pub");
    c.logOnNow();
    c.window->TView1->clearSelection();
    const auto logBefore = c.server.commandLog();
    const QString statusBefore = c.window->lblStatus->text();

    c.window->PushButton7_Click();

    QVERIFY(c.dialogs.boxes.isEmpty());
    QCOMPARE(c.server.commandLog(), logBefore);
    QCOMPARE(c.window->lblStatus->text(), statusBefore);
}

void FolderOperationsTest::deleteFolderRefusesTheRoot()
{
    Connected c;
    c.server.makeFolder("pub");
    c.logOnNow();
    selectOnly(*c.window, QStringLiteral("/"));
    const auto logBefore = c.server.commandLog();

    c.window->PushButton7_Click();

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("This is the root folder that can not be removed")});
    QCOMPARE(c.dialogs.boxes.first().kind, RecordedBox::Message);
    QCOMPARE(c.server.commandLog(), logBefore);
}

void FolderOperationsTest::deleteFolderAnsweredNoChangesNothing()
{
    Connected c;
    c.server.makeFolder("pub");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    c.dialogs.clear();
    c.dialogs.confirmAnswers = {false};
    const auto logBefore = c.server.commandLog();
    const QString statusBefore = c.window->lblStatus->text();
    const QStringList treeBefore = treeOutline(*c.window);

    c.window->PushButton7_Click();

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("Are you sure to remove this folder: \"pub\"?")});
    QCOMPARE(c.server.commandLog(), logBefore);
    QCOMPARE(c.window->lblStatus->text(), statusBefore);
    QCOMPARE(treeOutline(*c.window), treeBefore);
    QCOMPARE(selectedKey(*c.window), QStringLiteral("/pub/"));
}

void FolderOperationsTest::deleteFolderRemovesNestedFolderAndOpensItsParent()
{
    Connected c;
    c.server.makeFolder("pub/sub");
    c.server.makeFolder("pub/keep");
    c.server.writeFile("pub/p.txt", "p");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    openFolder(*c.window, QStringLiteral("/pub/sub/"));
    c.dialogs.clear();

    c.window->PushButton7_Click();

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("Are you sure to remove this folder: \"sub\"?")});
    QCOMPARE(commandsStartingWith(c.server, "RMD"), std::vector<std::string>{"RMD /pub/sub"});
    QVERIFY(!c.server.exists("pub/sub"));
    QCOMPARE(selectedKey(*c.window), QStringLiteral("/pub/"));
    QCOMPARE(c.window->TView1->selectedItems().size(), 1);
    QCOMPARE(c.window->session.currentPath, QStringLiteral("/pub/"));
    QVERIFY(!c.window->nodeByKey(QStringLiteral("/pub/sub/")));
    QVERIFY(c.window->nodeByKey(QStringLiteral("/pub/keep/")));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("p.txt")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /pub/*.*"));
}

void FolderOperationsTest::deleteFolderOfFirstLevelOpensTheRoot()
{
    Connected c;
    c.server.makeFolder("pub");
    c.server.writeFile("r.txt", "r");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));

    c.window->PushButton7_Click();

    QCOMPARE(commandsStartingWith(c.server, "RMD"), std::vector<std::string>{"RMD /pub"});
    QCOMPARE(selectedKey(*c.window), QStringLiteral("/"));
    QCOMPARE(c.window->session.currentPath, QStringLiteral("/"));
    QCOMPARE(treeOutline(*c.window), QStringList{QStringLiteral("/|..")});
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("r.txt")});
}

void FolderOperationsTest::deleteFolderHoldingFilesIsRefusedAndTreeKept()
{
    Connected c;
    c.server.makeFolder("pub/sub");
    c.server.writeFile("pub/sub/f.txt", "f");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    openFolder(*c.window, QStringLiteral("/pub/sub/"));
    c.dialogs.clear();
    const QStringList treeBefore = treeOutline(*c.window);
    const std::size_t listingsBefore = listingCount(c.server);
    QString statusAtMessage;
    c.dialogs.onBox = [&](const RecordedBox& box) {
        if (box.kind == RecordedBox::Message)
            statusAtMessage = c.window->lblStatus->text();
    };

    c.window->PushButton7_Click();

    QCOMPARE(c.dialogs.texts(RecordedBox::Message), QStringList{removeFailedMessage});
    QCOMPARE(statusAtMessage, QStringLiteral("Sending request to remove folder: \"..\\pub\\sub\""));
    QCOMPARE(c.window->lblStatus->text(), removeFailedStatus);
    QCOMPARE(commandsStartingWith(c.server, "RMD"), std::vector<std::string>{"RMD /pub/sub"});
    QVERIFY(c.server.exists("pub/sub/f.txt"));
    QCOMPARE(treeOutline(*c.window), treeBefore);
    QCOMPARE(selectedKey(*c.window), QStringLiteral("/pub/sub/"));
    QCOMPARE(listingCount(c.server), listingsBefore);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("f.txt")});
}

void FolderOperationsTest::deleteFolderWorksOnTheSelectedNodeEvenIfNotOpened()
{
    Connected c;
    c.server.makeFolder("a");
    c.server.makeFolder("pub/sub/deep");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    openFolder(*c.window, QStringLiteral("/pub/sub/"));
    // The selection moves to /a/ without opening it; the folder on show stays /pub/sub/.
    selectOnly(*c.window, QStringLiteral("/a/"));
    c.dialogs.clear();

    c.window->PushButton7_Click();

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("Are you sure to remove this folder: \"a\"?")});
    QCOMPARE(commandsStartingWith(c.server, "RMD"), std::vector<std::string>{"RMD /a"});
    QVERIFY(!c.server.exists("a"));
    QVERIFY(c.server.exists("pub/sub/deep"));
    QCOMPARE(selectedKey(*c.window), QStringLiteral("/"));
    QCOMPARE(c.window->session.currentPath, QStringLiteral("/"));
    QVERIFY(!c.window->nodeByKey(QStringLiteral("/a/")));
    QVERIFY(c.window->nodeByKey(QStringLiteral("/pub/")));
}

QTEST_MAIN(FolderOperationsTest)
#include "test_folder_operations.moc"
