// Remote names round-trip between the server's bytes and the text the windows
// show, also when the bytes are not UTF-8; and a legacy 8-bit folder and file
// can be opened and deleted on a real server.

#include "main_window/form1.h"
#include "main_window/remote_names.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <string>

Q_DECLARE_METATYPE(std::string)

class RemoteNamesTest : public QObject {
    Q_OBJECT

private slots:
    void bytesComeBackUnchanged_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<bool>("readable");  // shows as its UTF-8 text
        QTest::newRow("ascii") << std::string("readme.txt") << true;
        QTest::newRow("utf8 accents") << std::string("caf\xC3\xA9 d\xC3\xA9p\xC3\xB4t") << true;
        QTest::newRow("utf8 four bytes") << std::string("\xF0\x9F\x93\x81 files") << true;
        QTest::newRow("latin1 byte") << std::string("caf\xE9.txt") << false;
        QTest::newRow("truncated sequence") << std::string("ab\xE2\x82") << false;
        QTest::newRow("overlong slash") << std::string("a\xC0\xAF" "b") << false;
        QTest::newRow("encoded surrogate") << std::string("\xED\xA0\x80") << false;
        QTest::newRow("beyond unicode") << std::string("\xF4\x90\x80\x80") << false;
        QTest::newRow("lone continuation") << std::string("\x80\xBF") << false;
        // A name holding the escape characters themselves must not be read as escapes.
        QTest::newRow("escape character in utf8") << std::string("x\xEF\x9F\xA9y") << false;
        QTest::newRow("byte order mark") << std::string("notes\xEF\xBB\xBF.txt") << true;
        QTest::newRow("empty") << std::string() << true;
    }

    void bytesComeBackUnchanged()
    {
        QFETCH(std::string, bytes);
        QFETCH(bool, readable);
        const QString text = fromRemote(bytes);
        QCOMPARE(toRemote(text), bytes);
        QCOMPARE(text == QString::fromUtf8(bytes.data(), qsizetype(bytes.size())), readable);
    }

    void namesThatAreNotUtf8ShowAsWindows1252_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("utf8 stays") << std::string("R\xC3\xA9sum\xC3\xA9.txt") << QStringLiteral("Résumé.txt");
        QTest::newRow("latin1") << std::string("R\xE9sum\xE9.txt") << QStringLiteral("Résumé.txt");
        QTest::newRow("windows-1252 euro and quotes") << std::string("\x80 \x93x\x94") << QStringLiteral("€ “x”");
        QTest::newRow("utf8-looking pair in a latin1 name")
            << std::string("\xC3\xA9t\xE9") << QStringLiteral("Ã©té");
    }

    void namesThatAreNotUtf8ShowAsWindows1252()
    {
        QFETCH(std::string, bytes);
        QFETCH(QString, shown);
        QCOMPARE(displayName(bytes), shown);
        QCOMPARE(displayPath("/pub/" + bytes + "/*.*"), "/pub/" + shown + "/*.*");
    }

    void typedTextGoesOutAsUtf8()
    {
        QCOMPARE(toRemote(QStringLiteral("Ünïcödé folder")), std::string("\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 folder"));
    }

    void legacyEightBitFolderAndFileCanBeOpenedAndDeleted()
    {
        TestFtpServer server({"--raw-names"});
        server.makeFolder("d\xE9p\xF4t");
        server.writeFile("d\xE9p\xF4t/caf\xE9.txt", "old bytes");
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);

        const QString folderKey = fromRemote("/d\xE9p\xF4t/");
        QVERIFY(window.nodeByKey(folderKey));
        QCOMPARE(window.nodeByKey(folderKey)->text(0), QStringLiteral("dépôt"));
        openFolder(window, folderKey);
        const QString fileName = QStringLiteral("café.txt");
        QCOMPARE(listedFiles(window), QStringList{fileName});
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 1 Files in folder: /dépôt/*.*"));

        window.ListView1->setCurrentItem(row(window, fileName));
        window.PushButton5_Click();
        QCOMPARE(dialogs.texts(RecordedBox::Message), QStringList());
        QVERIFY(!server.exists("d\xE9p\xF4t/caf\xE9.txt"));
        QCOMPARE(listedFiles(window), QStringList());
    }
};

QTEST_MAIN(RemoteNamesTest)
#include "test_remote_names.moc"
