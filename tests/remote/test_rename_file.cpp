// In-place rename against a real server, driven through the list's own
// editor: the question about the extension, the requests sent, and what the
// rows show once the edit has ended.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QApplication>
#include <QLabel>
#include <QEventLoop>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

const QString renameFailed = QStringLiteral("Can't accomplishe request");
const QString renameFailedStatus = QStringLiteral("Request accomplished with no success at all");

std::vector<std::string> renameCommands(const TestFtpServer& server)
{
    std::vector<std::string> found;
    for (const std::string& line : server.commandLog())
        if (line.rfind("RNFR", 0) == 0 || line.rfind("RNTO", 0) == 0)
            found.push_back(line);
    return found;
}

// The open in-place editor, if any; editors already ended may linger hidden
// until deleted.
QLineEdit* openEditor(const Form1& window)
{
    for (QLineEdit* editor : window.ListView1->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

void settle()
{
    // Return commits through a queued call; ended editors are deleted later.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Connected : ConnectedWindow {
    using ConnectedWindow::ConnectedWindow;

    // Shown, so the in-place editor gets focus as it would for a user.
    void logOnNow() { ConnectedWindow::logOnNow(true); }

    // Makes `name` the current row and presses "Rename File"; true when an editor opened.
    bool startRename(const QString& name)
    {
        QTreeWidgetItem* item = row(*window, name);
        if (!item)
            return false;
        window->ListView1->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
        window->PushButton9_Click();
        return openEditor(*window) != nullptr;
    }

    // Types `text` into the open editor and ends the edit with `key`.
    void finishRename(const QString& text, Qt::Key key = Qt::Key_Return)
    {
        QLineEdit* editor = openEditor(*window);
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, key);
        settle();
    }
};

} // namespace

class RenameFileTest : public QObject {
    Q_OBJECT

private slots:
    // The item view warns when an edit is ended behind its back; that is a fault here.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); }

    void notConnectedOpensNoEditor();
    void emptyListHasNothingToRename();
    void sameExtensionRenamesWithoutQuestionAndListsAgain();
    void extensionQuestion_data();
    void extensionQuestion();
    void answeringNoKeepsOldNameSendsNothingAndKeepsEditStatus();
    void renameOntoListedNameIsRefusedBeforeAnythingIsSent_data();
    void renameOntoListedNameIsRefusedBeforeAnythingIsSent();
    void renameOntoFileMadeAfterTheListingIsRefused_data();
    void renameOntoFileMadeAfterTheListingIsRefused();
    void refusedRenameKeepsTypedNameUntilNextListing();
    void retryAfterRefusalRenamesTheFileTheServerStillHas();
    void afterRefreshRowsShowServerNamesNotTheTypedText();
    void withoutSelectedTreeNodeRowTakesNewNameAndRenamesAgainFromIt();
    void escapeAbandonsTheEditAndSendsNothing();
    void leavingTheEditorCommitsTheRename();
    void focusTakenByTheQuestionBoxRenamesExactlyOnce();
    void tabEndsTheEditWithoutEditingTheNextRow();
    void nameWithLineBreakIsRefusedBeforeAnythingIsSent();
};

void RenameFileTest::notConnectedOpensNoEditor()
{
    RecordingDialogs dialogs;
    Form1 window;
    window.show();
    auto* item = new QTreeWidgetItem(window.ListView1, QStringList{QStringLiteral("a.txt")});
    window.ListView1->setCurrentItem(item);

    window.PushButton9_Click();

    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Not connected to any server")});
    QVERIFY(!openEditor(window));
}

void RenameFileTest::emptyListHasNothingToRename()
{
    Connected c;
    c.logOnNow();
    QCOMPARE(c.window->ListView1->topLevelItemCount(), 0);

    c.window->PushButton9_Click();

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("Nothing to rename")});
    QVERIFY(!openEditor(*c.window));
}

void RenameFileTest::sameExtensionRenamesWithoutQuestionAndListsAgain()
{
    Connected c;
    c.server.makeFolder("pub");
    c.server.writeFile("pub/a.txt", "content of a");
    c.logOnNow();
    openFolder(*c.window, QStringLiteral("/pub/"));
    const std::size_t listingsBefore = listingCount(c.server);

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: Renaming file: \"a.txt\""));
    QCOMPARE(openEditor(*c.window)->text(), QStringLiteral("a.txt"));
    c.finishRename(QStringLiteral("b.txt"));

    QVERIFY(c.dialogs.boxes.isEmpty());
    QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /pub/a.txt", "RNTO /pub/b.txt"}));
    QCOMPARE(c.server.readFile("pub/b.txt"), std::string("content of a"));
    QVERIFY(!c.server.exists("pub/a.txt"));
    QCOMPARE(listingCount(c.server), listingsBefore + 1);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("b.txt")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /pub/*.*"));
    QVERIFY(!openEditor(*c.window));
}

void RenameFileTest::extensionQuestion_data()
{
    QTest::addColumn<QString>("oldName");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("question");  // empty: no question expected

    const QString none;
    auto ask = [](const char* from, const char* to) {
        return QStringLiteral("Are you sure to exchange the file extension from: \"%1\" to: \"%2\"")
            .arg(QLatin1String(from), QLatin1String(to));
    };
    QTest::newRow("txt to doc") << QStringLiteral("a.txt") << QStringLiteral("a.doc") << ask("txt", "doc");
    QTest::newRow("case counts") << QStringLiteral("a.txt") << QStringLiteral("a.TXT") << ask("txt", "TXT");
    QTest::newRow("no dot is its own extension") << QStringLiteral("README") << QStringLiteral("README2") << ask("README", "README2");
    QTest::newRow("only the last dot counts") << QStringLiteral("x.tar.gz") << QStringLiteral("y.tar.gz") << none;
    QTest::newRow("extra suffix") << QStringLiteral("a.txt") << QStringLiteral("a.txt.bak") << ask("txt", "bak");
    QTest::newRow("trailing dot is empty") << QStringLiteral("a.") << QStringLiteral("b.") << none;
    QTest::newRow("dot dropped") << QStringLiteral("a.") << QStringLiteral("a") << ask("", "a");
    QTest::newRow("dot added") << QStringLiteral("notes") << QStringLiteral("notes.md") << ask("notes", "md");
}

// Every question is answered No, so a question means nothing is sent, and no
// question means the rename goes through.
void RenameFileTest::extensionQuestion()
{
    QFETCH(QString, oldName);
    QFETCH(QString, newName);
    QFETCH(QString, question);

    Connected c;
    c.server.writeFile(oldName.toStdString(), "x");
    c.logOnNow();
    c.dialogs.confirmAnswers = {false};

    QVERIFY(c.startRename(oldName));
    c.finishRename(newName);

    if (question.isEmpty()) {
        QVERIFY(c.dialogs.boxes.isEmpty());
        QCOMPARE(renameCommands(c.server),
                 (std::vector<std::string>{"RNFR /" + oldName.toStdString(), "RNTO /" + newName.toStdString()}));
        QVERIFY(c.server.exists(newName.toStdString()));
    } else {
        QCOMPARE(c.dialogs.texts(RecordedBox::Confirm), QStringList{question});
        QVERIFY(renameCommands(c.server).empty());
        QVERIFY(c.server.exists(oldName.toStdString()));
        QCOMPARE(listedFiles(*c.window), QStringList{oldName});
    }
}

void RenameFileTest::answeringNoKeepsOldNameSendsNothingAndKeepsEditStatus()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    c.dialogs.confirmAnswers = {false};

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    const auto logBefore = c.server.commandLog();
    c.finishRename(QStringLiteral("a.doc"));

    QCOMPARE(c.dialogs.boxes.size(), 1);
    QCOMPARE(c.server.commandLog(), logBefore);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: Renaming file: \"a.txt\""));
    QVERIFY(!openEditor(*c.window));

    // Yes on the same question renames.
    c.dialogs.confirmAnswers = {true};
    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(QStringLiteral("a.doc"));
    QVERIFY(c.server.exists("a.doc"));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.doc")});
}

// RNTO would replace the other file on most servers (this one too): the
// rename is not sent. Letter case alone makes another name.
void RenameFileTest::renameOntoListedNameIsRefusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("clash");
    QTest::newRow("same name") << "b.txt" << true;
    QTest::newRow("other case") << "B.txt" << false;
    QTest::newRow("own name in other case") << "A.txt" << false;
}

void RenameFileTest::renameOntoListedNameIsRefusedBeforeAnythingIsSent()
{
    QFETCH(QString, newName);
    QFETCH(bool, clash);
    Connected c;
    c.server.writeFile("a.txt", "from a");
    c.server.writeFile("b.txt", "from b");
    c.logOnNow();

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(newName);

    QCOMPARE(c.dialogs.texts(), clash ? QStringList{QStringLiteral("More files with the same name in one folder")}
                                      : QStringList{});
    QCOMPARE(c.server.readFile("b.txt"), std::string("from b"));
    QVERIFY(!openEditor(*c.window));
    if (clash) {
        QVERIFY(renameCommands(c.server).empty());
        QCOMPARE(c.server.readFile("a.txt"), std::string("from a"));
        QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Wrong file parameter"));
        QCOMPARE(sorted(listedFiles(*c.window)), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    } else {
        QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /a.txt", "RNTO /" + newName.toStdString()}));
        QCOMPARE(c.server.readFile(newName.toStdString()), std::string("from a"));
        QVERIFY(listedFiles(*c.window).contains(newName));
    }
}

// Another client puts b.txt there after our listing: the server is asked
// whichever way it can answer, and nothing is sent that would replace it.
void RenameFileTest::renameOntoFileMadeAfterTheListingIsRefused_data()
{
    QTest::addColumn<QStringList>("serverOptions");
    QTest::addColumn<QString>("askedWith");
    QTest::newRow("MLST") << QStringList{} << "MLST /b.txt";
    QTest::newRow("SIZE") << QStringList{"--no-mlst"} << "SIZE /b.txt";
    QTest::newRow("listing") << QStringList{"--no-mlst", "--no-size"} << "LIST";
}

void RenameFileTest::renameOntoFileMadeAfterTheListingIsRefused()
{
    QFETCH(QStringList, serverOptions);
    QFETCH(QString, askedWith);
    std::vector<std::string> options;
    for (const QString& option : serverOptions)
        options.push_back(option.toStdString());
    Connected c(options);
    c.server.writeFile("a.txt", "from a");
    c.logOnNow();
    c.server.writeFile("b.txt", "from b");
    const std::size_t asksBefore = commandsStartingWith(c.server, askedWith.toStdString()).size();

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(QStringLiteral("b.txt"));

    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("More files with the same name in one folder")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Wrong file parameter"));
    QVERIFY(commandsStartingWith(c.server, askedWith.toStdString()).size() > asksBefore);
    QVERIFY(renameCommands(c.server).empty());
    QCOMPARE(c.server.readFile("b.txt"), std::string("from b"));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.txt")});
}

void RenameFileTest::refusedRenameKeepsTypedNameUntilNextListing()
{
    Connected c({"--reply", "RNFR=550"});
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    const std::size_t listingsBefore = listingCount(c.server);
    QString statusAtMessage;
    c.dialogs.onBox = [&](const RecordedBox& box) {
        if (box.kind == RecordedBox::Message)
            statusAtMessage = c.window->lblStatus->text();
    };

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(QStringLiteral("b.txt"));

    QCOMPARE(c.dialogs.texts(), QStringList{renameFailed});
    QCOMPARE(statusAtMessage, QStringLiteral("Sending request to rename file: \"/a.txt\""));
    QCOMPARE(c.window->lblStatus->text(), renameFailedStatus);
    QVERIFY(c.server.exists("a.txt"));
    QCOMPARE(listingCount(c.server), listingsBefore);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("b.txt")});

    openFolder(*c.window, QStringLiteral("/"));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.txt")});
}

// After a refusal the row shows the typed name, but the server still has the
// old one: a second attempt must rename that.
void RenameFileTest::retryAfterRefusalRenamesTheFileTheServerStillHas()
{
    Connected c({"--reply-file", "RNTO:b.txt=550"});
    c.server.writeFile("a.txt", "a");
    c.logOnNow();

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(QStringLiteral("b.txt"));
    QCOMPARE(c.dialogs.texts(), QStringList{renameFailed});
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("b.txt")});

    QVERIFY(c.startRename(QStringLiteral("b.txt")));
    c.finishRename(QStringLiteral("c.txt"));

    QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /a.txt", "RNTO /b.txt",
                                                                 "RNFR /a.txt", "RNTO /c.txt"}));
    QVERIFY(c.server.exists("c.txt"));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("c.txt")});
}

// The refresh inside the end of the edit replaces every row; the typed text
// must not land on whatever row then stands where the edited one was. Moving
// the file into a sub-folder leaves another file at that position.
void RenameFileTest::afterRefreshRowsShowServerNamesNotTheTypedText()
{
    Connected c;
    c.server.makeFolder("sub");
    c.server.writeFile("a.txt", "a");
    c.server.writeFile("b.txt", "b");
    c.server.writeFile("c.txt", "c");
    c.logOnNow();

    QVERIFY(c.startRename(listedFiles(*c.window).first()));
    const QString moved = listedFiles(*c.window).first();
    c.finishRename(QStringLiteral("sub/") + moved);

    QVERIFY(c.dialogs.boxes.isEmpty());
    QVERIFY(c.server.exists("sub/" + moved.toStdString()));
    QStringList expected{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};
    expected.removeAll(moved);
    QStringList shown = listedFiles(*c.window);
    shown.sort();
    QCOMPARE(shown, expected);
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: 2 Files in folder: /*.*"));
}

void RenameFileTest::withoutSelectedTreeNodeRowTakesNewNameAndRenamesAgainFromIt()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    c.window->TView1->clearSelection();
    const std::size_t listingsBefore = listingCount(c.server);

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    c.finishRename(QStringLiteral("b.txt"));

    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("File renamed to: \"/b.txt\""));
    QCOMPARE(listingCount(c.server), listingsBefore);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("b.txt")});

    QVERIFY(c.startRename(QStringLiteral("b.txt")));
    c.finishRename(QStringLiteral("c.txt"));

    QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /a.txt", "RNTO /b.txt",
                                                                 "RNFR /b.txt", "RNTO /c.txt"}));
    QVERIFY(c.server.exists("c.txt"));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("c.txt")});
}

void RenameFileTest::escapeAbandonsTheEditAndSendsNothing()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    const auto logBefore = c.server.commandLog();
    c.finishRename(QStringLiteral("b.doc"), Qt::Key_Escape);

    QVERIFY(c.dialogs.boxes.isEmpty());
    QCOMPARE(c.server.commandLog(), logBefore);
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(c.window->lblStatus->text(), QStringLiteral("Server: Renaming file: \"a.txt\""));
    QVERIFY(!openEditor(*c.window));
}

// Clicking elsewhere ends the edit and keeps the typed name, as Return does.
void RenameFileTest::leavingTheEditorCommitsTheRename()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    QApplication::setActiveWindow(c.window.get());

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    QLineEdit* editor = openEditor(*c.window);
    editor->setFocus();
    editor->setText(QStringLiteral("b.txt"));
    c.window->TView1->setFocus();
    settle();

    QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /a.txt", "RNTO /b.txt"}));
    QCOMPARE(listedFiles(*c.window), QStringList{QStringLiteral("b.txt")});
    QVERIFY(!openEditor(*c.window));
}

// A real question box takes the focus from the editor and runs its own event
// loop while the rename is under way; the edit must still end once.
void RenameFileTest::focusTakenByTheQuestionBoxRenamesExactlyOnce()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.server.writeFile("z.txt", "z");
    c.logOnNow();
    QApplication::setActiveWindow(c.window.get());
    c.dialogs.onBox = [&](const RecordedBox&) {
        QEventLoop modal;
        QMetaObject::invokeMethod(&modal, &QEventLoop::quit, Qt::QueuedConnection);
        c.window->TView1->setFocus();
        modal.exec();
    };
    c.dialogs.confirmAnswers = {true};

    QVERIFY(c.startRename(QStringLiteral("a.txt")));
    openEditor(*c.window)->setFocus();
    c.finishRename(QStringLiteral("a.doc"));

    QCOMPARE(c.dialogs.texts(RecordedBox::Confirm).size(), 1);
    QCOMPARE(renameCommands(c.server), (std::vector<std::string>{"RNFR /a.txt", "RNTO /a.doc"}));
    QStringList shown = listedFiles(*c.window);
    shown.sort();
    QCOMPARE(shown, (QStringList{QStringLiteral("a.doc"), QStringLiteral("z.txt")}));
    QVERIFY(!openEditor(*c.window));
}

void RenameFileTest::tabEndsTheEditWithoutEditingTheNextRow()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.server.writeFile("b.txt", "b");
    c.logOnNow();
    c.window->TView1->clearSelection();  // no refresh: the rows stay as they are

    const QString first = listedFiles(*c.window).first();
    QVERIFY(c.startRename(first));
    c.finishRename(QStringLiteral("c.txt"), Qt::Key_Tab);

    QCOMPARE(renameCommands(c.server),
             (std::vector<std::string>{"RNFR /" + first.toStdString(), "RNTO /c.txt"}));
    QCOMPARE(listedFiles(*c.window).first(), QStringLiteral("c.txt"));
    QVERIFY(!openEditor(*c.window));
    // The row is not left open to editing by other means.
    QVERIFY(!(c.window->ListView1->topLevelItem(0)->flags() & Qt::ItemIsEditable));
}

// A line break in a name could smuggle a second command; the client refuses
// such a name before the first of the two rename requests.
void RenameFileTest::nameWithLineBreakIsRefusedBeforeAnythingIsSent()
{
    Connected c;
    c.server.writeFile("a.txt", "a");
    c.logOnNow();
    c.window->ListView1->setCurrentItem(row(*c.window, QStringLiteral("a.txt")));
    const auto logBefore = c.server.commandLog();

    for (const QString& name : {QStringLiteral("b\r\nDELE a.txt"), QStringLiteral("b\n.txt"),
                                QString::fromUtf8("b\0.txt", 6)}) {
        int cancel = 1;
        c.window->ListView1_AfterLabelEdit(cancel, name);
        QCOMPARE(cancel, 0);
    }

    QCOMPARE(c.dialogs.texts(), (QStringList{renameFailed, renameFailed, renameFailed}));
    QCOMPARE(c.window->lblStatus->text(), renameFailedStatus);
    QCOMPARE(c.server.commandLog(), logBefore);
    QVERIFY(c.server.exists("a.txt"));
}

QTEST_MAIN(RenameFileTest)
#include "test_rename_file.moc"
