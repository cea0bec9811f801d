// The "Application Error" report: its exact text, the real box, the rule that
// a procedure goes on after a failed step, and a bad port text at logon.

#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString logonIdentifier = QStringLiteral("in Corvell2021/08/31.Form1.PushButton3_Click ");

// The report's second line: identifier, "at line " and the step.
QString stepLine(const QString& report)
{
    return report.section(QStringLiteral("\r\n"), 1).section(QStringLiteral("\r\r"), 0, 0);
}

} // namespace

class ErrorReportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void textIsDescriptionIdentifierStepAndRequestLine();
    void realBoxIsAWarningTitledApplicationErrorWithOneOkButton();
    void procedureGoesOnAfterEachFailedStep();
    void badPortTextReportsStep106AndLogonUsesPreviousPort_data();
    void badPortTextReportsStep106AndLogonUsesPreviousPort();
    void badPortTextAtFirstLogonGoesOnWithDefaultPort();

private:
    std::unique_ptr<TestFtpServer> server;
};

void ErrorReportTest::initTestCase() { server = std::make_unique<TestFtpServer>(); }

void ErrorReportTest::cleanupTestCase() { server.reset(); }

void ErrorReportTest::textIsDescriptionIdentifierStepAndRequestLine()
{
    const QString text = errorReportText(QStringLiteral("Type mismatch"), logonIdentifier, 106);

    QVERIFY(text.startsWith(QStringLiteral("Type mismatch\r\nin Corvell2021/08/31.Form1.PushButton3_Click at line 106\r\r"
                                           "Please email screenshot of this message to ")));
    const QString address = text.section(QStringLiteral("Please email screenshot of this message to "), 1);
    // One build setting fills both this address and the bug tracker of the installed metadata.
    QFile metainfo(QStringLiteral(CORVELL_METAINFO));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch tracker =
        QRegularExpression(QStringLiteral("<url type=\"bugtracker\">([^<]+)</url>")).match(QString::fromUtf8(metainfo.readAll()));
    QVERIFY(tracker.hasMatch());
    QCOMPARE(address, tracker.captured(1));
    QVERIFY2(!address.contains(QLatin1String(".example")), qPrintable(address));
    // The request line is the last line: no line break after it.
    QVERIFY(!address.contains(QLatin1Char('\r')) && !address.contains(QLatin1Char('\n')));
    // Exactly one CR LF and two lone CRs: the lines are not separated any other way.
    QCOMPARE(text.count(QStringLiteral("\r\n")), 1);
    QCOMPARE(text.count(QLatin1Char('\r')), 3);
    QCOMPARE(text.count(QLatin1Char('\n')), 1);

    QVERIFY(errorReportText(QString(), QStringLiteral("in Corvell2021/08/31.Form1.list "), 152)
                .startsWith(QStringLiteral("\r\nin Corvell2021/08/31.Form1.list at line 152\r\r")));
}

void ErrorReportTest::realBoxIsAWarningTitledApplicationErrorWithOneOkButton()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool seen = false;
    // The box is modal: look at it from inside its own event loop, then close it.
    std::function<void()> inspect = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, inspect);
            return;
        }
        seen = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text().remove(QLatin1Char('&'));
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, inspect);

    StepRunner steps(nullptr, form1Procedure("PushButton8_Click"));
    steps.step(110, [] { throw StepFailure(QStringLiteral("Tree is locked")); });

    QVERIFY(seen);
    QCOMPARE(title, QStringLiteral("Application Error"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(text, errorReportText(QStringLiteral("Tree is locked"),
                                   QStringLiteral("in Corvell2021/08/31.Form1.PushButton8_Click "), 110));
}

void ErrorReportTest::procedureGoesOnAfterEachFailedStep()
{
    RecordingDialogs dialogs;
    StepRunner steps(nullptr, form1Procedure("list"));
    QStringList ran;

    QVERIFY(steps.step(100, [&] { ran << "100"; }));
    QVERIFY(!steps.step(102, [&] {
        ran << "102";
        throw StepFailure(QStringLiteral("Key is not unique in collection"));
        ran << "102 after the failure";
    }));
    QVERIFY(!steps.step(104, [] { throw std::runtime_error("Disk full"); }));
    QVERIFY(!steps.step(106, [] { throw 7; }));
    QVERIFY(steps.step(108, [&] { ran << "108"; }));

    QCOMPARE(ran, (QStringList{"100", "102", "108"}));
    const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
    QCOMPARE(reports.size(), 3);
    QCOMPARE(dialogs.boxes.size(), 3);
    QCOMPARE(reports[0].section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Key is not unique in collection"));
    QCOMPARE(stepLine(reports[0]), QStringLiteral("in Corvell2021/08/31.Form1.list at line 102"));
    QCOMPARE(reports[1].section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Disk full"));
    QCOMPARE(stepLine(reports[1]), QStringLiteral("in Corvell2021/08/31.Form1.list at line 104"));
    QVERIFY(!reports[2].section(QStringLiteral("\r\n"), 0, 0).isEmpty());
    QCOMPARE(stepLine(reports[2]), QStringLiteral("in Corvell2021/08/31.Form1.list at line 106"));
    for (const RecordedBox& box : dialogs.boxes)
        QCOMPARE(box.caption, QStringLiteral("Application Error"));
}

void ErrorReportTest::badPortTextReportsStep106AndLogonUsesPreviousPort_data()
{
    QTest::addColumn<QString>("portText");
    QTest::newRow("empty") << "";
    QTest::newRow("not a number") << "twenty-one";
    QTest::newRow("negative") << "-1";
    QTest::newRow("above the largest port") << "65536";
    QTest::newRow("far too large") << "99999999999999999999";
    QTest::newRow("fraction") << "21.5";
}

void ErrorReportTest::badPortTextReportsStep106AndLogonUsesPreviousPort()
{
    QFETCH(QString, portText);
    RecordingDialogs dialogs;
    Form1 window;
    logOn(window, *server);
    window.PushButton8_Click();
    QVERIFY(dialogs.boxes.isEmpty());

    window.txtPort->setText(portText);
    window.PushButton3_Click();

    const QStringList reports = dialogs.texts(RecordedBox::ErrorReport);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(stepLine(reports[0]), QStringLiteral("in Corvell2021/08/31.Form1.PushButton3_Click at line 106"));
    QVERIFY(!reports[0].section(QStringLiteral("\r\n"), 0, 0).isEmpty());
    // The logon went on with the port of the previous logon.
    QCOMPARE(int(window.session.port), server->port());
    QVERIFY(window.session.isConnected());
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Server: 0 Files in folder: /*.*"));
    QCOMPARE(window.txtPort->text(), portText);
}

void ErrorReportTest::badPortTextAtFirstLogonGoesOnWithDefaultPort()
{
    RecordingDialogs dialogs;
    Form1 window;
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    // Port 0 means 21, where no test server listens, so the attempt fails.
    window.txtHostName->setText(QStringLiteral("127.0.0.1"));
    window.txtPort->setText(QStringLiteral("port"));

    window.PushButton3_Click();

    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(dialogs.boxes[0].kind, RecordedBox::ErrorReport);
    QCOMPARE(stepLine(dialogs.boxes[0].text), QStringLiteral("in Corvell2021/08/31.Form1.PushButton3_Click at line 106"));
    QCOMPARE(int(window.session.port), 0);
    QCOMPARE(dialogs.boxes[1].kind, RecordedBox::Message);
    QCOMPARE(dialogs.boxes[1].text, QStringLiteral("Could not connect."));
    QCOMPARE(window.lblStatus->text(), QStringLiteral("Could not connect."));
}

QTEST_MAIN(ErrorReportTest)
#include "test_error_report.moc"
