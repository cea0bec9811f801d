// The four connection settings: saved on every change, restored by the next
// window, kept only readable by their owner.

#include "main_window/form1.h"
#include "main_window/kept_servers.h"
#include "main_window/password_vault.h"
#include "main_window/settings_store.h"
#include "support/recording_dialogs.h"
#include "support/window_helpers.h"

#include <QAbstractItemView>
#include <QCompleter>

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
    void settingsFileOfTheEarlierVersionLoadsUnchanged();
    void accountsLoggedOnToAreKeptMostRecentFirstAcrossARestart();
    void keptServersAreCappedAndMovedToTheFront();
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

void SettingsTest::settingsFileOfTheEarlierVersionLoadsUnchanged()
{
    RecordingDialogs dialogs;
    for (const auto& [name, value] : {std::pair{"Host Name", "sftp://files.example.org"}, {"Port", "2222"},
                                      {"User Name", "alice"}, {"Password", "pw"}})
        SaveSetting(QStringLiteral("Brannock"), QStringLiteral("Corvell"), QLatin1String(name), QLatin1String(value));
    const QByteArray before = storeFileBytes();

    Form1 window;

    QCOMPARE(window.txtHostName->text(), QStringLiteral("sftp://files.example.org"));
    QCOMPARE(window.txtPort->text(), QStringLiteral("2222"));
    QCOMPARE(window.txtUserName->text(), QStringLiteral("alice"));
    QCOMPARE(window.txtPassword->text(), QStringLiteral("pw"));
    QVERIFY(keptServersOf(window)->servers().isEmpty());
    QCOMPARE(storeFileBytes(), before);
}

void SettingsTest::accountsLoggedOnToAreKeptMostRecentFirstAcrossARestart()
{
    RecordingDialogs dialogs;
    TestFtpServer server;
    const QString port = QString::number(server.port());
    {
        Form1 window;
        InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
        window.txtPort->setText(port);
        window.txtUserName->setText(QStringLiteral("test"));
        window.txtPassword->setText(QStringLiteral("secret"));
        for (const char* host : {"127.0.0.1", "ftp://127.0.0.1", "127.0.0.1"}) {
            window.txtHostName->setText(QLatin1String(host));
            window.PushButton3_Click();
            QVERIFY(window.session.isConnected());
            window.PushButton8_Click();
        }
        window.txtPort->setText(QStringLiteral("1"));  // nobody listens: no logon, nothing kept
        window.PushButton3_Click();
        QVERIFY(!window.session.isConnected());
    }
    Form1 restarted;
    KeptServers& kept = *keptServersOf(restarted);
    QCOMPARE(kept.servers(), (QList<KeptServer>{{"127.0.0.1", port, "test"}, {"ftp://127.0.0.1", port, "test"}}));

    // Picked from the drop-down: host, port and user filled in.
    restarted.txtPort->setText(QStringLiteral("21"));
    restarted.txtUserName->clear();
    restarted.show();
    kept.showAll();
    QAbstractItemView* popup = kept.completer()->popup();
    QVERIFY(popup->isVisible());
    popup->setCurrentIndex(popup->model()->index(1, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QCOMPARE(restarted.txtHostName->text(), QStringLiteral("ftp://127.0.0.1"));
    QCOMPARE(restarted.txtPort->text(), port);
    QCOMPARE(restarted.txtUserName->text(), QStringLiteral("test"));

    // Delete on the highlighted entry asks, then forgets it for good.
    dialogs.confirmAnswers = {false, true};
    for (int attempt = 0; attempt < 2; ++attempt) {
        kept.showAll();
        popup->setCurrentIndex(popup->model()->index(0, 0));
        QTest::keyClick(popup, Qt::Key_Delete);
    }
    QCOMPARE(dialogs.texts(RecordedBox::Confirm).size(), 2);
    QVERIFY(dialogs.texts(RecordedBox::Confirm).first().contains(QLatin1String("127.0.0.1")));
    QCOMPARE(restarted.txtHostName->text(), QStringLiteral("ftp://127.0.0.1"));
    QCOMPARE(Form1().findChild<KeptServers*>()->servers(), (QList<KeptServer>{{"ftp://127.0.0.1", port, "test"}}));
}

void SettingsTest::keptServersAreCappedAndMovedToTheFront()
{
    QList<KeptServer> servers;
    for (int n = 0; n < 60; ++n)
        servers = withRecent(servers, {QStringLiteral("host%1").arg(n), QStringLiteral("21"), QStringLiteral("u")});
    QCOMPARE(servers.size(), KeptServers::maxKept);
    QCOMPARE(servers.first().host, QStringLiteral("host59"));
    servers = withRecent(servers, {QStringLiteral("host30"), QStringLiteral("21"), QStringLiteral("u")});
    QCOMPARE(servers.size(), KeptServers::maxKept);
    QCOMPARE(servers.first().host, QStringLiteral("host30"));
    QCOMPARE(servers.at(1).host, QStringLiteral("host59"));
    // Fields that hold spaces and line breaks survive the file.
    writeKeptServers({{QStringLiteral("ftp://a b"), QStringLiteral("2 1"), QStringLiteral("us\ner %")}});
    QCOMPARE(readKeptServers(), (QList<KeptServer>{{"ftp://a b", "2 1", "us\ner %"}}));
}

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
