// The stored password in a real Secret Service (an unlocked gnome-keyring on a
// private bus, started by this suite's wrapper): one entry per account,
// written after a pause in the typing, never lost at close, moved out of the
// settings file and out of the one shared entry of older runs, untouched when
// turned off, and left in the settings file when the keyring stops answering.

#include "main_window/form1.h"
#include "main_window/password_setting.h"
#include "main_window/password_vault.h"
#include "main_window/settings_store.h"
#include "support/recording_dialogs.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

const QString application = QStringLiteral("Brannock");
const QString section = QStringLiteral("Corvell");

const QString sharedKey = QStringLiteral("Password");  // earlier versions' one entry

QString inKeyring(const QString& key)
{
    const PasswordVault::Reading reading = PasswordVault(QStringLiteral("Corvell")).read(key);
    return reading.answer == PasswordVault::Answer::Found ? reading.text : QStringLiteral("<none>");
}

QString inKeyring(const QString& user, const QString& host, const QString& port = QStringLiteral("21"))
{
    return inKeyring(passwordKey({user, host, port}));
}

void saveAccount(const QString& user, const QString& host, const QString& port = QStringLiteral("21"))
{
    SaveSetting(application, section, QStringLiteral("User Name"), user);
    SaveSetting(application, section, QStringLiteral("Host Name"), host);
    SaveSetting(application, section, QStringLiteral("Port"), port);
}

QByteArray storeFileBytes()
{
    QFile file(QSettings(QSettings::NativeFormat, QSettings::UserScope, application).fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PasswordKeyringTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void typingReachesTheKeyringAfterAPauseAndCloseLosesNothing();
    void passwordLeftInTheSettingsFileMovesIntoTheKeyring();
    void twoServersKeepTwoPasswords();
    void sharedEntryOfEarlierVersionsMovesToItsAccountOnce();
    void keyringTurnedOffIsNeverAsked();
    void withoutSessionBusInTheEnvironmentNoKeyringIsAsked();
    void keyringThatStopsAnsweringCostsOneTimeOutAndTheFileKeepsThePassword();
};

void PasswordKeyringTest::init()
{
    QFile::remove(QSettings(QSettings::NativeFormat, QSettings::UserScope, application).fileName());
    // As an earlier version left it: one entry for every server.
    QVERIFY2(PasswordVault(QStringLiteral("Corvell")).write(sharedKey, QStringLiteral("before")),
             "the test's Secret Service did not answer");
}

void PasswordKeyringTest::typingReachesTheKeyringAfterAPauseAndCloseLosesNothing()
{
    RecordingDialogs dialogs;
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("before"));
        window.txtHostName->setText(QStringLiteral("host"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("+1"));
        QCOMPARE(inKeyring({}, QStringLiteral("host")), QStringLiteral("<none>"));  // no write per key
        QTRY_COMPARE(inKeyring({}, QStringLiteral("host")), QStringLiteral("before+1"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("+2"));
    }  // gone before the pause ended
    QCOMPARE(inKeyring({}, QStringLiteral("host")), QStringLiteral("before+1+2"));
    QVERIFY2(!storeFileBytes().contains("Password"), storeFileBytes().constData());
    QCOMPARE(GetSetting(application, section, QStringLiteral("Host Name"), {}), QStringLiteral("host"));

    Form1 restarted;
    QCOMPARE(restarted.txtPassword->text(), QStringLiteral("before+1+2"));
    QVERIFY(dialogs.boxes.isEmpty());
}

void PasswordKeyringTest::passwordLeftInTheSettingsFileMovesIntoTheKeyring()
{
    RecordingDialogs dialogs;
    SaveSetting(application, section, QStringLiteral("Password"), QStringLiteral("from file"));
    SaveSetting(application, section, QStringLiteral("User Name"), QStringLiteral("me"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("from file"));
        QCOMPARE(inKeyring(QStringLiteral("me"), {}), QStringLiteral("from file"));
        QVERIFY2(!storeFileBytes().contains("Password"), storeFileBytes().constData());
    }
    QCOMPARE(GetSetting(application, section, QStringLiteral("User Name"), {}), QStringLiteral("me"));

    Form1 restarted;
    QCOMPARE(restarted.txtPassword->text(), QStringLiteral("from file"));
    QVERIFY(dialogs.boxes.isEmpty());
}

void PasswordKeyringTest::withoutSessionBusInTheEnvironmentNoKeyringIsAsked()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_RUNTIME_DIR", runtime);
    });
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    const QTemporaryDir runtimeWithoutBus;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeWithoutBus.path()));
    // The library would still reach this suite's bus through its open connection.
    QCOMPARE(PasswordVault(QStringLiteral("Corvell")).read(sharedKey).answer, PasswordVault::Answer::Unavailable);
}

// The demo's settings hold its own password; with the keyring turned off it
// stays there, and the user's entries stay as they were.
void PasswordKeyringTest::keyringTurnedOffIsNeverAsked()
{
    RecordingDialogs dialogs;
    qputenv("CORVELL_NO_KEYRING", "1");
    const auto restore = qScopeGuard([] { qunsetenv("CORVELL_NO_KEYRING"); });
    saveAccount(QStringLiteral("demo"), QStringLiteral("127.0.0.1"), QStringLiteral("2121"));
    SaveSetting(application, section, QStringLiteral("Password"), QStringLiteral("demo"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("demo"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("!"));
        window.txtHostName->setText(QStringLiteral("localhost"));
    }
    QCOMPARE(GetSetting(application, section, QStringLiteral("Password"), {}), QStringLiteral("demo!"));
    qunsetenv("CORVELL_NO_KEYRING");
    QCOMPARE(inKeyring(sharedKey), QStringLiteral("before"));
    QCOMPARE(inKeyring(QStringLiteral("demo"), QStringLiteral("127.0.0.1"), QStringLiteral("2121")), QStringLiteral("<none>"));
    QCOMPARE(inKeyring(QStringLiteral("demo"), QStringLiteral("localhost"), QStringLiteral("2121")), QStringLiteral("<none>"));
    QVERIFY(dialogs.boxes.isEmpty());
}

// Each account keeps its own password. Moving to another server keeps the
// password shown for it, unless the keyring holds one of its own; moving back
// brings the first server's password back at the next start.
void PasswordKeyringTest::twoServersKeepTwoPasswords()
{
    RecordingDialogs dialogs;
    QVERIFY(PasswordVault(QStringLiteral("Corvell")).remove(sharedKey));
    saveAccount(QStringLiteral("me"), QStringLiteral("alpha.example"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QString());
        window.txtPassword->setText(QStringLiteral("alpha secret"));
    }
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("alpha secret"));
        window.txtHostName->setText(QStringLiteral("sftp://beta.example"));
        window.txtPort->setText(QStringLiteral("2222"));
        window.txtPassword->setText(QStringLiteral("beta secret"));
        // Back to the first server without a word about its password.
        window.txtHostName->setText(QStringLiteral("alpha.example"));
        window.txtPort->setText(QStringLiteral("21"));
        QCOMPARE(window.txtPassword->text(), QStringLiteral("beta secret"));
    }
    QCOMPARE(inKeyring(QStringLiteral("me"), QStringLiteral("alpha.example")), QStringLiteral("alpha secret"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("alpha secret"));
        window.txtHostName->setText(QStringLiteral("sftp://beta.example"));
        window.txtPort->setText(QStringLiteral("2222"));
    }
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("beta secret"));
        // A server first met with the password on show keeps that password.
        window.txtUserName->setText(QStringLiteral("you"));
    }
    QCOMPARE(inKeyring(QStringLiteral("you"), QStringLiteral("sftp://beta.example"), QStringLiteral("2222")),
             QStringLiteral("beta secret"));
    QCOMPARE(inKeyring(QStringLiteral("me"), QStringLiteral("alpha.example")), QStringLiteral("alpha secret"));
    QCOMPARE(inKeyring(sharedKey), QStringLiteral("<none>"));
    QVERIFY2(!storeFileBytes().contains("Password"), storeFileBytes().constData());
    QVERIFY(dialogs.boxes.isEmpty());
}

// The entry an earlier version kept for every server belongs to the account
// its settings name; it moves there once and is gone from the shared key.
void PasswordKeyringTest::sharedEntryOfEarlierVersionsMovesToItsAccountOnce()
{
    RecordingDialogs dialogs;
    saveAccount(QStringLiteral("me"), QStringLiteral("gamma.example"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("before"));
    }
    QCOMPARE(inKeyring(sharedKey), QStringLiteral("<none>"));
    QCOMPARE(inKeyring(QStringLiteral("me"), QStringLiteral("gamma.example")), QStringLiteral("before"));

    // Another account in the settings finds nothing to move.
    saveAccount(QStringLiteral("me"), QStringLiteral("delta.example"));
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QString());
    }
    QCOMPARE(inKeyring(QStringLiteral("me"), QStringLiteral("delta.example")), QStringLiteral("<none>"));
    QCOMPARE(inKeyring(QStringLiteral("me"), QStringLiteral("gamma.example")), QStringLiteral("before"));
    QVERIFY(dialogs.boxes.isEmpty());
}

// Runs last: the keyring library queues every later request behind the one
// left unanswered here.
void PasswordKeyringTest::keyringThatStopsAnsweringCostsOneTimeOutAndTheFileKeepsThePassword()
{
    RecordingDialogs dialogs;
    const uint keyringPid = QDBusConnection::sessionBus().interface()->servicePid(
        QStringLiteral("org.freedesktop.secrets"));
    QVERIFY(keyringPid > 0);
    QCOMPARE(::kill(pid_t(keyringPid), SIGSTOP), 0);
    const auto resume = qScopeGuard([&] { ::kill(pid_t(keyringPid), SIGCONT); });

    QElapsedTimer clock;
    clock.start();
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QString());
        QTest::keyClicks(window.txtPassword, QStringLiteral("abc"));
        QCOMPARE(GetSetting(application, section, QStringLiteral("Password"), {}), QStringLiteral("abc"));
    }
    // The next window tries to move the file's password into the keyring and
    // keeps it in the file when no confirmation comes.
    Form1 restarted;
    QCOMPARE(restarted.txtPassword->text(), QStringLiteral("abc"));
    QCOMPARE(GetSetting(application, section, QStringLiteral("Password"), {}), QStringLiteral("abc"));
    QVERIFY2(clock.elapsed() < 3 * PasswordVault::answerTimeoutMs, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(dialogs.boxes.isEmpty());
}

QTEST_MAIN(PasswordKeyringTest)
#include "test_password_keyring.moc"
