// The keyboard reaches what the mouse does: Enter on a focused button, the
// remote list's keys and menu, and the main window taking the keyboard back
// when a box or the Data Transfer dialog closes.

#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"
#include "transfer/form2.h"

#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class KeyboardActionsTest : public QObject {
    Q_OBJECT
private slots:
    void remoteListKeyShowsWhatItsButtonShows_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("button");
        QTest::newRow("Delete deletes") << int(Qt::Key_Delete) << 0 << QStringLiteral("PushButton5");
        QTest::newRow("F2 renames") << int(Qt::Key_F2) << 0 << QStringLiteral("PushButton9");
        QTest::newRow("Enter downloads") << int(Qt::Key_Return) << 0 << QStringLiteral("PushButton4");
        QTest::newRow("keypad Enter downloads") << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                                << QStringLiteral("PushButton4");
    }
    void remoteListKeyShowsWhatItsButtonShows()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, button);
        TestFtpServer server;
        server.writeFile("a.txt", "a");
        RecordingDialogs dialogs;
        Form1 window;
        logOn(window, server);
        QCOMPARE(listedFiles(window), QStringList{QStringLiteral("a.txt")});
        // No row chosen: each button says what it lacks, in words of its own.
        window.ListView1->setCurrentItem(nullptr);
        window.ListView1->clearSelection();

        dialogs.clear();
        window.findChild<QPushButton*>(button)->click();
        const QStringList byMouse = dialogs.texts();
        dialogs.clear();
        QTest::keyClick(window.ListView1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!byMouse.isEmpty());
        QCOMPARE(dialogs.texts(), byMouse);
    }

    void menuKeysOfferTheRemoteButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void menuKeysOfferTheRemoteButtons()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        RecordingDialogs dialogs;
        Form1 window;
        window.show();
        window.Frame3->setEnabled(true);
        QTest::keyClick(window.ListView1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QStringList offered;
        for (const QAction* action : menu->actions())
            offered << action->text();
        QCOMPARE(offered, (QStringList{window.PushButton4->text(), window.PushButton5->text(),
                                       window.PushButton9->text(), window.PushButton6->text(),
                                       window.PushButton7->text()}));
        menu->actions().at(1)->trigger();
        QTRY_COMPARE(dialogs.texts(), QStringList{QStringLiteral("Not connected to any server")});
        menu->close();
    }

    void enterPressesTheFocusedButton()
    {
        RecordingDialogs dialogs;
        Form1 window;
        QSignalSpy logoff(window.PushButton8, &QPushButton::clicked);
        QTest::keyClick(window.PushButton8, Qt::Key_Return);
        QCOMPARE(logoff.count(), 1);

        Form2 transfer(window);
        transfer.setModal(false);
        transfer.show();
        QTest::keyClick(transfer.PushButton2, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!transfer.isVisible());
    }

    void mainWindowTakesTheKeyboardBackWhenTheTransferCloses()
    {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Form2 transfer(window);
        transfer.show();
        QVERIFY(QTest::qWaitForWindowActive(&transfer));
        // "Data transfer completed." answered with Enter, then the dialog closes.
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        userDialogs().message(&transfer, QStringLiteral("Data transfer completed."));
        transfer.accept();
        QTRY_COMPARE(QApplication::activeWindow(), &window);
    }
};

QTEST_MAIN(KeyboardActionsTest)
#include "test_keyboard_actions.moc"
