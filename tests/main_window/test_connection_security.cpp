// Encrypted logons through the windows: the certificate question and its
// memory per server, the question before falling back to clear text, and the
// padlock. The boxes are answered by the recording dialogs, and once by
// keys pressed on the real message boxes.

#include "main_window/connection_security.h"
#include "main_window/form1.h"
#include "main_window/ftp_client.h"
#include "main_window/tls_trust_store.h"
#include "support/recording_dialogs.h"
#include "support/test_certificates.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

QLabel* padlockOf(const Form1& window)
{
    return window.Frame2->findChild<QLabel*>(QStringLiteral("imgPadlock"));
}

bool padlockShown(const Form1& window)
{
    return padlockOf(window) && !padlockOf(window)->isHidden();
}

void logOnAs(Form1& window, const TestFtpServer& server, const QString& host)
{
    logOn(window, server);
    if (host != window.txtHostName->text()) {
        window.PushButton8_Click();
        window.txtHostName->setText(host);
        window.PushButton3_Click();
    }
}

// Presses `key` on every real message box that opens while it lives, as a
// user would, and keeps the boxes' texts.
struct KeyOnEveryBox {
    explicit KeyOnEveryBox(Qt::Key key)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || answered.contains(box))
                return;
            answered << box;
            texts << box->text();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
        });
        poll.start(10);
    }
    QTimer poll;
    QList<QMessageBox*> answered;
    QStringList texts;
};

} // namespace

class ConnectionSecurityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void certificateIsAskedAboutOnlyWhenItFailsAndRemembered_data();
    void certificateIsAskedAboutOnlyWhenItFailsAndRemembered();
    void serverThatSpokeTlsAndNowRefusesItAsksBeforeClearText_data();
    void serverThatSpokeTlsAndNowRefusesItAsksBeforeClearText();
    void enterOrEscapeOnTheRealQuestionAnswersNo_data();
    void enterOrEscapeOnTheRealQuestionAnswersNo();
};

void ConnectionSecurityTest::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock")).clear();
    InternetSetTrustedAuthorities(testCertificate("ca.pem"));
}

void ConnectionSecurityTest::certificateIsAskedAboutOnlyWhenItFailsAndRemembered_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("storedOtherFingerprint");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("boxSays");  // empty: no box at all

    QTest::newRow("trusted") << "trusted.pem" << "127.0.0.1" << false << true << "";
    QTest::newRow("trusted by DNS name") << "trusted.pem" << "localhost" << false << true << "";
    QTest::newRow("self-signed, trusted once") << "self_signed.pem" << "127.0.0.1" << false << true
                                               << "The certificate is self-signed.";
    QTest::newRow("self-signed, refused") << "self_signed.pem" << "127.0.0.1" << false << false
                                          << "The certificate is self-signed.";
    QTest::newRow("changed since trusted") << "self_signed.pem" << "127.0.0.1" << true << true
                                           << "has changed since you chose to trust it";
    QTest::newRow("wrong host name") << "wrong_name.pem" << "127.0.0.1" << false << false
                                     << "The certificate is not issued for \"127.0.0.1\".";
    QTest::newRow("expired") << "expired.pem" << "127.0.0.1" << false << false << "The certificate has expired.";
}

void ConnectionSecurityTest::certificateIsAskedAboutOnlyWhenItFailsAndRemembered()
{
    QFETCH(QString, certificate);
    QFETCH(QString, host);
    QFETCH(bool, storedOtherFingerprint);
    QFETCH(bool, answer);
    QFETCH(QString, boxSays);
    TestFtpServer server({"--tls", "--tls-cert", testCertificate(certificate.toStdString())});
    RecordingDialogs dialogs;
    dialogs.confirmAnswers = {answer};
    if (storedOtherFingerprint)
        storeTrustedCertificateFingerprint(host, std::uint16_t(server.port()), QStringLiteral("00:11:22"));
    Form1 window;

    logOnAs(window, server, host);

    const QStringList asked = dialogs.texts(RecordedBox::Confirm);
    QCOMPARE(asked.size(), boxSays.isEmpty() ? 0 : 1);
    QCOMPARE(window.session.isConnected(), answer);
    if (!boxSays.isEmpty()) {
        const QString box = asked.first();
        QVERIFY2(box.contains(boxSays), qPrintable(box));
        QVERIFY2(box.contains(host + QLatin1Char(':') + QString::number(server.port())), qPrintable(box));
        for (const char* part : {"Subject: ", "Issuer: ", "Valid from: ", "Valid until: ", "SHA-256 fingerprint: "})
            QVERIFY2(box.contains(QLatin1String(part)), qPrintable(box));
        QCOMPARE(dialogs.boxes.first().caption, applicationTitle());
        QVERIFY(dialogs.boxes.first().noIsDefault);
    }
    if (!answer) {
        QCOMPARE(dialogs.texts(RecordedBox::Message), QStringList{QStringLiteral("Could not connect.")});
        QCOMPARE(server.commandLog(), std::vector<std::string>{"AUTH TLS"});
        return;
    }
    QVERIFY(padlockShown(window));
    QVERIFY2(window.lblStatus->toolTip().contains(QLatin1String("TLSv1.")), qPrintable(window.lblStatus->toolTip()));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 0 Files in folder: /*.*"));

    // The next logon to the same server asks nothing; logoff takes the padlock away.
    window.PushButton8_Click();
    QVERIFY(!padlockShown(window));
    QVERIFY(window.lblStatus->toolTip().isEmpty());
    dialogs.clear();
    window.PushButton3_Click();
    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    QVERIFY(window.session.isConnected());
}

void ConnectionSecurityTest::serverThatSpokeTlsAndNowRefusesItAsksBeforeClearText_data()
{
    QTest::addColumn<bool>("spokeTlsBefore");
    QTest::addColumn<bool>("answer");
    QTest::newRow("never encrypted: clear without a word") << false << true;
    QTest::newRow("encrypted before, user goes on") << true << true;
    QTest::newRow("encrypted before, user declines") << true << false;
}

void ConnectionSecurityTest::serverThatSpokeTlsAndNowRefusesItAsksBeforeClearText()
{
    QFETCH(bool, spokeTlsBefore);
    QFETCH(bool, answer);
    TestFtpServer server;
    RecordingDialogs dialogs;
    dialogs.confirmAnswers = {answer};
    if (spokeTlsBefore)
        rememberServerSpokeTls(QStringLiteral("127.0.0.1"), std::uint16_t(server.port()));
    Form1 window;

    logOn(window, server);

    const QStringList asked = dialogs.texts(RecordedBox::Confirm);
    QCOMPARE(asked, spokeTlsBefore ? QStringList{withoutEncryptionQuestion(QStringLiteral("127.0.0.1"),
                                                                           std::uint16_t(server.port()))}
                                   : QStringList{});
    QCOMPARE(window.session.isConnected(), answer);
    QCOMPARE(server.commandLog().size() > 1, answer);
    QVERIFY(!spokeTlsBefore || dialogs.boxes.first().noIsDefault);
    QVERIFY(!padlockShown(window));
}

void ConnectionSecurityTest::enterOrEscapeOnTheRealQuestionAnswersNo_data()
{
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("key");
    for (const auto& [name, key] : {std::pair{"Enter", Qt::Key_Return}, std::pair{"Escape", Qt::Key_Escape}}) {
        QTest::addRow("certificate, %s", name) << "could not be verified" << int(key);
        QTest::addRow("changed certificate, %s", name) << "has changed since" << int(key);
        QTest::addRow("clear text, %s", name) << "Do you want to connect without encryption?" << int(key);
    }
}

void ConnectionSecurityTest::enterOrEscapeOnTheRealQuestionAnswersNo()
{
    QFETCH(QString, question);
    QFETCH(int, key);
    const bool clearText = question.contains(QLatin1String("without encryption"));
    const bool changed = question.contains(QLatin1String("changed"));
    TestFtpServer server(clearText ? std::vector<std::string>{}
                                   : std::vector<std::string>{"--tls", "--tls-cert", testCertificate("self_signed.pem")});
    const auto port = std::uint16_t(server.port());
    const QString host = QStringLiteral("127.0.0.1");
    if (clearText)
        rememberServerSpokeTls(host, port);
    if (changed)
        storeTrustedCertificateFingerprint(host, port, QStringLiteral("00:11:22"));
    Form1 window;
    KeyOnEveryBox user{Qt::Key(key)};

    logOn(window, server);

    QVERIFY2(!user.texts.isEmpty() && user.texts.first().contains(question), qPrintable(user.texts.join('|')));
    QCOMPARE(user.texts.mid(1), QStringList{QStringLiteral("Could not connect.")});
    QVERIFY(!window.session.isConnected());
    QCOMPARE(trustedCertificateFingerprint(host, port), changed ? QStringLiteral("00:11:22") : QString());
    QVERIFY(server.commandLog().size() <= 1);  // AUTH TLS at most: no password went out
}

QTEST_MAIN(ConnectionSecurityTest)
#include "test_connection_security.moc"
