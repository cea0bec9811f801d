// The four connection settings: saved on every change, restored by the next
// window, kept only readable by their owner.

#include "main_window/form1.h"
#include "main_window/password_vault.h"
#include "main_window/settings_store.h"
#include "support/recording_dialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <sys/stat.h>

namespace {

QString stored(const char* name)
{
    return GetSetting(QStringLiteral("Brannock"), QStringLiteral("Corvell"), QLatin1String(name),
                      QStringLiteral("<absent>"));
}

QString storeFile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock")).fileName();
}

// The store's file as it is on disk, not as this process caches it.
QByteArray storeFileBytes()
{
    QFile file(storeFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstRunWithEmptyStoreShowsEmptyBoxesAndPort21();
    void everyTypedCharacterIsSavedAndTheNextWindowRestoresIt();
    void clearedPortStaysEmptyInTheNextWindow();
    void portTextThatIsNoNumberIsKeptUnchanged();
    void valuesWithSeparatorsAndNonAsciiTextRoundTrip();
    void storeFileIsReadableByItsOwnerOnly();
    void withoutKeyringThePasswordStaysInTheFileSilentlyAndAtOnce();
};

void SettingsTest::init()
{
    QFile::remove(storeFile());
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock")).clear();
}

void SettingsTest::firstRunWithEmptyStoreShowsEmptyBoxesAndPort21()
{
    RecordingDialogs dialogs;
    Form1 window;

    QCOMPARE(window.txtHostName->text(), QString());
    QCOMPARE(window.txtPort->text(), QStringLiteral("21"));
    QCOMPARE(window.txtUserName->text(), QString());
    QCOMPARE(window.txtPassword->text(), QString());
    QVERIFY(dialogs.boxes.isEmpty());
}

void SettingsTest::everyTypedCharacterIsSavedAndTheNextWindowRestoresIt()
{
    RecordingDialogs dialogs;
    QStringList seen;
    {
        Form1 window;
        QObject::connect(window.txtHostName, &QLineEdit::textChanged, &window,
                         [&] { seen << stored("Host Name"); });
        QTest::keyClicks(window.txtHostName, QStringLiteral("abc"));
        QTest::keyClicks(window.txtUserName, QStringLiteral("me"));
        QTest::keyClicks(window.txtPassword, QStringLiteral("pw"));
    }
    // Each change wrote the whole text of the box at that moment.
    QCOMPARE(seen, (QStringList{"a", "ab", "abc"}));
    QVERIFY2(storeFileBytes().contains("=abc"), storeFileBytes().constData());

    Form1 restarted;
    QCOMPARE(restarted.txtHostName->text(), QStringLiteral("abc"));
    QCOMPARE(restarted.txtUserName->text(), QStringLiteral("me"));
    QCOMPARE(restarted.txtPassword->text(), QStringLiteral("pw"));
    QCOMPARE(restarted.txtPort->text(), QStringLiteral("21"));
    QVERIFY(dialogs.boxes.isEmpty());
}

void SettingsTest::clearedPortStaysEmptyInTheNextWindow()
{
    RecordingDialogs dialogs;
    {
        Form1 window;
        window.txtPort->clear();
    }
    QCOMPARE(stored("Port"), QString());

    Form1 restarted;
    QCOMPARE(restarted.txtPort->text(), QString());
}

void SettingsTest::portTextThatIsNoNumberIsKeptUnchanged()
{
    RecordingDialogs dialogs;
    const QString portText = QStringLiteral(" 21a ");
    {
        Form1 window;
        window.txtPort->setText(portText);
    }
    Form1 restarted;
    QCOMPARE(restarted.txtPort->text(), portText);
    QVERIFY(dialogs.boxes.isEmpty());
}

void SettingsTest::valuesWithSeparatorsAndNonAsciiTextRoundTrip()
{
    RecordingDialogs dialogs;
    const QString host = QStringLiteral("ftp.příklad.cz");
    const QString user = QStringLiteral("[Corvell]\\user;#1");
    const QString password = QStringLiteral("p=a\"s s%20word");
    {
        Form1 window;
        window.txtHostName->setText(host);
        window.txtUserName->setText(user);
        window.txtPassword->setText(password);
    }
    Form1 restarted;
    QCOMPARE(restarted.txtHostName->text(), host);
    QCOMPARE(restarted.txtUserName->text(), user);
    QCOMPARE(restarted.txtPassword->text(), password);
}

void SettingsTest::storeFileIsReadableByItsOwnerOnly()
{
    RecordingDialogs dialogs;
    QVERIFY(!QFile::exists(storeFile()));
    {
        Form1 window;
        window.txtPassword->setText(QStringLiteral("secret"));
        QVERIFY(QFile::exists(storeFile()));
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(storeFile()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), 0600);

        // Rewriting the store keeps the permissions.
        window.txtHostName->setText(QStringLiteral("127.0.0.1"));
        QCOMPARE(::stat(QFile::encodeName(storeFile()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), 0600);
    }
}

// These suites run where no secret service answers: the password is kept in
// the file as the other values are, and no wait is spent on the missing keyring.
void SettingsTest::withoutKeyringThePasswordStaysInTheFileSilentlyAndAtOnce()
{
    RecordingDialogs dialogs;
    QElapsedTimer clock;
    clock.start();
    {
        Form1 window;
        window.txtPassword->setText(QStringLiteral("typed"));
        QCOMPARE(stored("Password"), QStringLiteral("typed"));
    }
    Form1 restarted;
    QVERIFY2(clock.elapsed() < PasswordVault::answerTimeoutMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(restarted.txtPassword->text(), QStringLiteral("typed"));
    QCOMPARE(stored("Password"), QStringLiteral("typed"));
    QVERIFY(dialogs.boxes.isEmpty());
}

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
