// The stored password in a real Secret Service (an unlocked gnome-keyring on a
// private bus, started by this suite's wrapper): written after a pause in the
// typing, never lost at close, moved out of the settings file of older runs,
// and left in that file when the keyring stops answering.

#include "main_window/form1.h"
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

QString inKeyring()
{
    const PasswordVault::Reading reading = PasswordVault(QStringLiteral("Corvell")).read(QStringLiteral("Password"));
    return reading.answer == PasswordVault::Answer::Found ? reading.text : QStringLiteral("<none>");
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
    void withoutSessionBusInTheEnvironmentNoKeyringIsAsked();
    void keyringThatStopsAnsweringCostsOneTimeOutAndTheFileKeepsThePassword();
};

void PasswordKeyringTest::init()
{
    QFile::remove(QSettings(QSettings::NativeFormat, QSettings::UserScope, application).fileName());
    QVERIFY2(PasswordVault(QStringLiteral("Corvell")).write(QStringLiteral("Password"), QStringLiteral("before")),
             "the test's Secret Service did not answer");
}

void PasswordKeyringTest::typingReachesTheKeyringAfterAPauseAndCloseLosesNothing()
{
    RecordingDialogs dialogs;
    {
        Form1 window;
        QCOMPARE(window.txtPassword->text(), QStringLiteral("before"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("+1"));
        window.txtHostName->setText(QStringLiteral("host"));
        QCOMPARE(inKeyring(), QStringLiteral("before"));  // no write per key
        QTRY_COMPARE(inKeyring(), QStringLiteral("before+1"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("+2"));
    }  // gone before the pause ended
    QCOMPARE(inKeyring(), QStringLiteral("before+1+2"));
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
        QCOMPARE(inKeyring(), QStringLiteral("from file"));
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
    QCOMPARE(PasswordVault(QStringLiteral("Corvell")).read(QStringLiteral("Password")).answer,
             PasswordVault::Answer::Unavailable);
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
