// "Delete File" against a real server: what is asked, what is sent, what the
// list and the status line show afterwards.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const QString notConnected = QStringLiteral("Not connected to any server");
const QString deleteQuestion = QStringLiteral("Are you sure to delete selected file(s)?");
const QString deleteFailed = QStringLiteral("An error occured while deleting file");

// Selects exactly `names`; the first of them becomes the current row.
void selectFiles(Form1& window, const QStringList& names)
{
    window.ListView1->clearSelection();
    for (const QString& name : names)
        if (QTreeWidgetItem* item = row(window, name))
            item->setSelected(true);
    if (!names.isEmpty())
        window.ListView1->setCurrentItem(row(window, names.first()), 0, QItemSelectionModel::NoUpdate);
}

} // namespace

class DeleteFilesTest : public QObject {
    Q_OBJECT

private slots:
    void notConnectedShowsOnlyTheNotice();
    void noCurrentRowSaysNothingIsSelected();
    void answeringNoSendsNothingAndChangesNothing();
    void deletesEverySelectedFileAndListsTheFolderAgain();
    void pathInSubfolderKeepsSpacesInTheName();
    void refusalOfSecondOfThreeStopsThereWithoutRefresh();
    void serverRefusalByReplyIsReportedTheSameWay();
    void currentRowWithoutSelectionAsksThenOnlyRelists();
    void withoutSelectedTreeNodeDeletedFilesStayListedAndStatusSaysOk();
};

void DeleteFilesTest::notConnectedShowsOnlyTheNotice()
{
    RecordingDialogs dialogs;
    Form1 window;
    const QString statusBefore = window.lblStatus->text();

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), QStringList{notConnected});
    QCOMPARE(dialogs.boxes.first().kind, RecordedBox::Message);
    QCOMPARE(window.lblStatus->text(), statusBefore);
}

void DeleteFilesTest::noCurrentRowSaysNothingIsSelected()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("a.txt")});
    dialogs.clear();

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("No file is selected to be deleted")});
    QVERIFY(commandsStartingWith(server, "DELE").empty());
}

void DeleteFilesTest::answeringNoSendsNothingAndChangesNothing()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.writeFile("b.txt", "b");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    selectFiles(window, {QStringLiteral("a.txt")});
    dialogs.clear();
    dialogs.confirmAnswers = {false};
    const auto logBefore = server.commandLog();
    const QString statusBefore = window.lblStatus->text();

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(RecordedBox::Confirm), QStringList{deleteQuestion});
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(server.commandLog(), logBefore);  // no delete, no listing
    QCOMPARE(window.lblStatus->text(), statusBefore);
    QVERIFY(server.exists("a.txt"));
    QCOMPARE(sorted(listedFiles(window)), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

void DeleteFilesTest::deletesEverySelectedFileAndListsTheFolderAgain()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.writeFile("b.txt", "b");
    server.writeFile("c.txt", "c");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    selectFiles(window, {QStringLiteral("a.txt"), QStringLiteral("c.txt")});
    dialogs.clear();
    const std::size_t listingsBefore = listingCount(server);

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), QStringList{deleteQuestion});
    const auto deletes = commandsStartingWith(server, "DELE");
    QCOMPARE(deletes.size(), std::size_t(2));
    QVERIFY(std::find(deletes.begin(), deletes.end(), "DELE /a.txt") != deletes.end());
    QVERIFY(std::find(deletes.begin(), deletes.end(), "DELE /c.txt") != deletes.end());
    QVERIFY(!server.exists("a.txt"));
    QVERIFY(server.exists("b.txt"));
    QVERIFY(!server.exists("c.txt"));
    QCOMPARE(listingCount(server), listingsBefore + 1);
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("b.txt")});
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /*.*"));
}

void DeleteFilesTest::pathInSubfolderKeepsSpacesInTheName()
{
    TestFtpServer server;
    server.makeFolder("pub");
    server.writeFile("pub/ my file .txt", "x");
    server.writeFile("pub/other.txt", "y");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/pub/"));
    selectFiles(window, {QStringLiteral(" my file .txt")});

    window.PushButton5_Click();

    QCOMPARE(commandsStartingWith(server, "DELE"), std::vector<std::string>{"DELE /pub/ my file .txt"});
    QVERIFY(!server.exists("pub/ my file .txt"));
    QCOMPARE(window.session.currentPath, QStringLiteral("/pub/"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("other.txt")});
}

void DeleteFilesTest::refusalOfSecondOfThreeStopsThereWithoutRefresh()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.writeFile("b.txt", "b");
    server.writeFile("c.txt", "c");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    // The rows come in the server's order; the one standing second is made to
    // fail by taking its file away behind the client's back.
    const QStringList rows = listedFiles(window);
    QCOMPARE(rows.size(), 3);
    const std::string first = rows[0].toStdString();
    const std::string second = rows[1].toStdString();
    const std::string third = rows[2].toStdString();
    std::filesystem::remove(std::filesystem::path(server.root()) / second);
    selectFiles(window, rows);
    dialogs.clear();
    QString statusAtMessage;
    dialogs.onBox = [&](const RecordedBox& box) {
        if (box.kind == RecordedBox::Message)
            statusAtMessage = window.lblStatus->text();
    };
    const std::size_t listingsBefore = listingCount(server);

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), (QStringList{deleteQuestion, deleteFailed}));
    QCOMPARE(statusAtMessage, QStringLiteral("Deleting: \"/") + rows[1] + QLatin1Char('"'));
    QCOMPARE(window.lblStatus->text(), deleteFailed);
    QCOMPARE(commandsStartingWith(server, "DELE"), (std::vector<std::string>{"DELE /" + first, "DELE /" + second}));
    QVERIFY(!server.exists(first));
    QVERIFY(server.exists(third));
    QCOMPARE(listingCount(server), listingsBefore);
    QCOMPARE(listedFiles(window), rows);
}

void DeleteFilesTest::serverRefusalByReplyIsReportedTheSameWay()
{
    TestFtpServer server({"--reply-file", "DELE:b.txt=550"});
    server.writeFile("b.txt", "b");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    selectFiles(window, {QStringLiteral("b.txt")});
    dialogs.clear();

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), (QStringList{deleteQuestion, deleteFailed}));
    QCOMPARE(window.lblStatus->text(), deleteFailed);
    QVERIFY(server.exists("b.txt"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("b.txt")});
}

void DeleteFilesTest::currentRowWithoutSelectionAsksThenOnlyRelists()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    window.ListView1->setCurrentItem(row(window, QStringLiteral("a.txt")), 0, QItemSelectionModel::NoUpdate);
    QVERIFY(window.ListView1->selectedItems().isEmpty());
    dialogs.clear();
    const std::size_t listingsBefore = listingCount(server);

    window.PushButton5_Click();

    QCOMPARE(dialogs.texts(), QStringList{deleteQuestion});
    QVERIFY(commandsStartingWith(server, "DELE").empty());
    QCOMPARE(listingCount(server), listingsBefore + 1);
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("a.txt")});

    // Without a tree node to list, the status keeps the text set before the loop.
    window.ListView1->setCurrentItem(row(window, QStringLiteral("a.txt")), 0, QItemSelectionModel::NoUpdate);
    window.TView1->clearSelection();
    window.PushButton5_Click();
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Sending request."));
    QCOMPARE(listingCount(server), listingsBefore + 1);
}

void DeleteFilesTest::withoutSelectedTreeNodeDeletedFilesStayListedAndStatusSaysOk()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.writeFile("b.txt", "b");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    selectFiles(window, {QStringLiteral("a.txt")});
    window.TView1->clearSelection();
    const std::size_t listingsBefore = listingCount(server);

    window.PushButton5_Click();

    QVERIFY(!server.exists("a.txt"));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("OK"));
    QCOMPARE(listingCount(server), listingsBefore);
    QCOMPARE(sorted(listedFiles(window)), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

QTEST_MAIN(DeleteFilesTest)
#include "test_delete_files.moc"
