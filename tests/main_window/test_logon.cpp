// Logon and Logoff against a real server: session fields, control states,
// status texts, the first listing and the tree they leave behind.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace {

bool logged(const TestFtpServer& server, const std::string& command)
{
    const auto log = server.commandLog();
    return std::find(log.begin(), log.end(), command) != log.end();
}

struct ConnectedLook {
    bool logon, logoff, remoteFrame, upload;
};

ConnectedLook look(const Form1& window)
{
    return {window.PushButton3->isEnabled(), window.PushButton8->isEnabled(),
            window.Frame3->isEnabled(), window.PushButton1->isEnabled()};
}

} // namespace

class LogonTest : public QObject {
    Q_OBJECT

private slots:
    void logonFillsSessionListsRootAndEnablesRemoteControls();
    void wrongPasswordShowsCouldNotConnectBoxBeforeStatus();
    void emptyHostNameCannotConnectAndKeepsButtons();
    void requiredEncryptionRefusedSendsNoPasswordAndSaysWhy();
    void portAboveSignedSixteenBitRangeIsUsedAsIs();
    void logoffBeforeAnyLogonLeavesNotConnectedLook();
    void logoffClosesConnectionEmptiesViewsAndKeepsSettings();
    void logoffThenLogonGivesOneRootWithTheFirstListing();
    void closingTheWindowWhileConnectedSendsNothingAndDropsTheConnection();
    void serverStartingInSubfolderListsThatFolderUnderItsAncestors_data();
    void serverStartingInSubfolderListsThatFolderUnderItsAncestors();
    void failedCurrentFolderQueryReportsAndListsRoot();
};

void LogonTest::logonFillsSessionListsRootAndEnablesRemoteControls()
{
    TestFtpServer server;
    server.writeFile("one.txt", "1");
    server.writeFile("two.jpg", "22");
    server.makeFolder("docs");
    RecordingDialogs dialogs;
    Form1 window;

    logOn(window, server);

    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    QVERIFY(window.session.isConnected());
    QCOMPARE(window.session.hostName, QStringLiteral("127.0.0.1"));
    QCOMPARE(window.session.userName, QStringLiteral("test"));
    QCOMPARE(window.session.password, QStringLiteral("secret"));
    QCOMPARE(int(window.session.port), server.port());
    QCOMPARE(window.session.currentPath, QStringLiteral("/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/*.*"));

    const ConnectedLook connected = look(window);
    QVERIFY(!connected.logon);
    QVERIFY(connected.logoff);
    QVERIFY(connected.remoteFrame);
    QVERIFY(connected.upload);

    QCOMPARE(treeOutline(window), (QStringList{"/|..", "./docs/|docs"}));
    QCOMPARE(window.selectedNode(), window.nodeByKey(QStringLiteral("/")));
    QCOMPARE(sorted(listedFiles(window)), (QStringList{"one.txt", "two.jpg"}));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 2 Files in folder: /*.*"));
    QCOMPARE(window.MousePointer(), int(vbDefault));
}

void LogonTest::wrongPasswordShowsCouldNotConnectBoxBeforeStatus()
{
    TestFtpServer server;
    RecordingDialogs dialogs;
    Form1 window;
    QString statusWhileBoxOpen;
    dialogs.onBox = [&](const RecordedBox&) { statusWhileBoxOpen = window.lblStatus->text(); };

    window.txtPassword->setText(QStringLiteral("wrong"));
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    window.txtHostName->setText(QStringLiteral("127.0.0.1"));
    window.txtPort->setText(QString::number(server.port()));
    window.txtUserName->setText(QStringLiteral("test"));
    window.PushButton3_Click();

    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, RecordedBox::Message);
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("Could not connect."));
    QCOMPARE(dialogs.boxes[0].caption, applicationTitle());
    QVERIFY(statusWhileBoxOpen != QStringLiteral("Could not connect."));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Could not connect."));
    QCOMPARE(window.session.sessionHandle, HINTERNET(0));
    QCOMPARE(window.session.connectionHandle, HINTERNET(0));
    QVERIFY(!window.session.isConnected());
    QVERIFY(window.PushButton3->isEnabled());
    QVERIFY(!window.Frame3->isEnabled());
    QCOMPARE(window.TView1->topLevelItemCount(), 0);
}

void LogonTest::requiredEncryptionRefusedSendsNoPasswordAndSaysWhy()
{
    TestFtpServer server;  // no TLS on offer
    RecordingDialogs dialogs;
    Form1 window;
    window.txtHostName->setText(QStringLiteral("ftpes://127.0.0.1"));
    window.txtPort->setText(QString::number(server.port()));
    window.txtUserName->setText(QStringLiteral("test"));
    window.txtPassword->setText(QStringLiteral("secret"));
    window.PushButton3_Click();

    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Could not connect.")});
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Could not connect."));
    QVERIFY2(window.lblStatus->toolTip().contains(QStringLiteral("refused encryption")),
             qPrintable(window.lblStatus->toolTip()));
    QVERIFY(logged(server, "AUTH TLS"));
    QVERIFY(!logged(server, "USER test"));
    QCOMPARE(window.txtHostName->text(), QStringLiteral("ftpes://127.0.0.1"));
}

void LogonTest::emptyHostNameCannotConnectAndKeepsButtons()
{
    RecordingDialogs dialogs;
    Form1 window;
    const ConnectedLook before = look(window);
    window.txtHostName->clear();
    window.txtPort->setText(QStringLiteral("21"));

    window.PushButton3_Click();

    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Could not connect.")});
    QCOMPARE(dialogs.boxes[0].kind, RecordedBox::Message);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Could not connect."));
    QVERIFY(!window.session.isConnected());
    const ConnectedLook after = look(window);
    QCOMPARE(after.logon, before.logon);
    QCOMPARE(after.logoff, before.logoff);
    QCOMPARE(after.remoteFrame, before.remoteFrame);
    QCOMPARE(after.upload, before.upload);
}

void LogonTest::portAboveSignedSixteenBitRangeIsUsedAsIs()
{
    // Nothing listens there, so the logon fails to connect, but without a
    // conversion report: 65535 is a valid port.
    RecordingDialogs dialogs;
    Form1 window;
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    window.txtHostName->setText(QStringLiteral("127.0.0.1"));
    window.txtPort->setText(QStringLiteral("65535"));

    window.PushButton3_Click();

    QCOMPARE(int(window.session.port), 65535);
    QVERIFY(dialogs.texts(RecordedBox::ErrorReport).isEmpty());
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Could not connect.")});
}

void LogonTest::logoffBeforeAnyLogonLeavesNotConnectedLook()
{
    RecordingDialogs dialogs;
    Form1 window;

    window.PushButton8_Click();

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Disconnected"));
    const ConnectedLook after = look(window);
    QVERIFY(after.logon);
    QVERIFY(!after.logoff);
    QVERIFY(!after.remoteFrame);
    QVERIFY(!after.upload);
    QVERIFY(!window.session.isConnected());
}

void LogonTest::logoffClosesConnectionEmptiesViewsAndKeepsSettings()
{
    TestFtpServer server;
    server.writeFile("a.txt", "a");
    server.makeFolder("sub");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/sub/"));
    const HINTERNET connection = window.session.connectionHandle;

    window.PushButton8_Click();

    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(window.session.sessionHandle, HINTERNET(0));
    QCOMPARE(window.session.connectionHandle, HINTERNET(0));
    QCOMPARE(window.ListView1->topLevelItemCount(), 0);
    QCOMPARE(window.TView1->topLevelItemCount(), 0);
    QVERIFY(window.currentNode == nullptr);
    QVERIFY(window.currentListItem == nullptr);
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Disconnected"));
    const ConnectedLook after = look(window);
    QVERIFY(after.logon);
    QVERIFY(!after.logoff);
    QVERIFY(!after.remoteFrame);
    QVERIFY(!after.upload);
    // The connection is really gone: the server saw QUIT and the handle is dead.
    QTRY_VERIFY(logged(server, "QUIT"));
    std::string directory;
    QVERIFY(!FtpGetCurrentDirectoryA(connection, directory));
    // The values of the last logon stay for the next one.
    QCOMPARE(window.session.hostName, QStringLiteral("127.0.0.1"));
    QCOMPARE(int(window.session.port), server.port());
    QCOMPARE(window.session.currentPath, QStringLiteral("/sub/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/sub/*.*"));
    // A listing now is refused as not connected.
    dialogs.clear();
    window.list();
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("You are not connected to any server")});
}

void LogonTest::closingTheWindowWhileConnectedSendsNothingAndDropsTheConnection()
{
    TestFtpServer server;
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    logOn(window, server);
    const HINTERNET connection = window.session.connectionHandle;
    const std::size_t commandsBefore = server.commandLog().size();

    window.close();

    std::string directory;
    QVERIFY(!FtpGetCurrentDirectoryA(connection, directory));
    QTest::qWait(200);
    QCOMPARE(server.commandLog().size(), commandsBefore);
    QVERIFY(dialogs.boxes.isEmpty());
}

void LogonTest::logoffThenLogonGivesOneRootWithTheFirstListing()
{
    TestFtpServer server;
    server.makeFolder("a");
    server.makeFolder("a/deep");
    server.makeFolder("b");
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, server);
    openFolder(window, QStringLiteral("/a/"));

    window.PushButton8_Click();
    window.PushButton3_Click();

    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    QCOMPARE(window.TView1->topLevelItemCount(), 1);
    QStringList outline = treeOutline(window);
    QCOMPARE(outline.takeFirst(), QStringLiteral("/|.."));
    QCOMPARE(sorted(outline), (QStringList{"./a/|a", "./b/|b"}));
    QVERIFY(window.TView1->topLevelItem(0)->isExpanded());
    QCOMPARE(window.session.currentPath, QStringLiteral("/"));
}

void LogonTest::serverStartingInSubfolderListsThatFolderUnderItsAncestors_data()
{
    QTest::addColumn<QString>("initialFolder");
    QTest::addColumn<QStringList>("expectedOutline");

    QTest::newRow("one level") << "/pub"
                               << QStringList{"/|..", "./pub/|pub", "../pub/inner/|inner"};
    QTest::newRow("two levels") << "/pub/sub"
                                << QStringList{"/|..", "./pub/|pub", "../pub/sub/|sub",
                                               ".../pub/sub/inner/|inner"};
}

void LogonTest::serverStartingInSubfolderListsThatFolderUnderItsAncestors()
{
    QFETCH(QString, initialFolder);
    QFETCH(QStringList, expectedOutline);
    TestFtpServer server({"--initial-dir", initialFolder.toStdString()});
    const std::string relative = initialFolder.mid(1).toStdString();
    server.writeFile("top.txt", "t");
    server.writeFile(relative + "/here.txt", "h");
    server.makeFolder(relative + "/inner");
    RecordingDialogs dialogs;
    Form1 window;

    logOn(window, server);

    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    const QString folder = initialFolder + QLatin1Char('/');
    // currentPath names the folder whose files are on show, so paths built
    // from it by the file operations reach those files.
    QCOMPARE(window.session.currentPath, folder);
    QCOMPARE(window.session.searchPattern, folder + QStringLiteral("*.*"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("here.txt")});
    QCOMPARE(treeOutline(window), expectedOutline);
    QCOMPARE(window.selectedNode(), window.nodeByKey(folder));
    for (const QTreeWidgetItem* node = window.nodeByKey(folder); node; node = node->parent())
        QVERIFY2(node->isExpanded(), qPrintable(node->text(0)));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: ") + folder + QStringLiteral("*.*"));

    // A refresh of the selected node re-reads the same folder.
    window.TView1_NodeClick();
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("here.txt")});
    QCOMPARE(treeOutline(window), expectedOutline);

    // The root always lists "/", whatever the server started in.
    openFolder(window, QStringLiteral("/"));
    QCOMPARE(window.session.currentPath, QStringLiteral("/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/*.*"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("top.txt")});
    QCOMPARE(treeOutline(window), (QStringList{"/|..", "./pub/|pub"}));
    QVERIFY(dialogs.boxes.isEmpty());
}

void LogonTest::failedCurrentFolderQueryReportsAndListsRoot()
{
    TestFtpServer server({"--reply", "PWD=550 No current folder"});
    server.writeFile("root.txt", "r");
    RecordingDialogs dialogs;
    Form1 window;

    logOn(window, server);

    const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(reports[0].split(QStringLiteral("\r\n")).value(1).section(QStringLiteral("\r\r"), 0, 0),
             QStringLiteral("in Corvell2021/08/31.Form1.PushButton3_Click at line 142"));
    QVERIFY(window.session.isConnected());
    QCOMPARE(window.session.currentPath, QStringLiteral("/"));
    QCOMPARE(window.session.searchPattern, QStringLiteral("/*.*"));
    QCOMPARE(listedFiles(window), QStringList{QStringLiteral("root.txt")});
    QCOMPARE(treeOutline(window), QStringList{QStringLiteral("/|..")});
}

QTEST_MAIN(LogonTest)
#include "test_logon.moc"
