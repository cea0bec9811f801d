#include "main_window/connection_security.h"

#include "main_window/engine_messages.h"
#include "main_window/form1.h"
#include "main_window/ftp_client.h"
#include "main_window/remote_names.h"
#include "main_window/tls_trust_store.h"
#include "main_window/user_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPointer>

#include <map>

namespace {

// The texts of this file, translated under one name.
struct Security {
    Q_DECLARE_TR_FUNCTIONS(ConnectionSecurity)
};

const char* const padlockName = "imgPadlock";

QString serverName(const QString& host, std::uint16_t port)
{
    // An IPv6 address takes brackets, so the port stays apart from it.
    const QString shown = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}

QLabel* padlock(Form1* window, bool create)
{
    auto* label = window->Frame2->findChild<QLabel*>(QLatin1String(padlockName));
    if (label || !create)
        return label;
    // Top right corner of the "FTP settings" frame, level with its title:
    // out of the way of every control, and where a padlock is looked for.
    label = new QLabel(window->Frame2);
    label->setObjectName(QLatin1String(padlockName));
    label->setAccessibleName(Security::tr("Encrypted connection"));
    label->setPixmap(QIcon(QStringLiteral(":/icons/padlock-16.svg")).pixmap(16, 16));
    label->setFixedSize(16, 16);
    label->move(window->Frame2->width() - 16 - 8, 2);
    label->hide();
    return label;
}

// `typed`: passphrases the user typed in this run, by key file: kept in
// memory only, for later logons with the same key, and never written anywhere.
std::optional<std::string> askKeyPassphrase(QWidget* parent, std::map<std::string, std::string>& typed,
                                            const session::PassphraseRequest& request)
{
    if (const auto kept = typed.find(request.keyFile); kept != typed.end()) {
        if (request.attempt == 1)
            return kept->second;
        typed.erase(kept);  // it no longer opens the key
    }
    const QString file = QFile::decodeName(QByteArray::fromStdString(request.keyFile));
    const QString prompt = request.attempt == 1
                               ? Security::tr("The key %1 is protected by a passphrase.\n\nPassphrase "
                                                "(Cancel logs on without this key):").arg(file)
                               : Security::tr("That passphrase does not open the key %1 (try %2 of 3).\n\nPassphrase "
                                                "(Cancel logs on without this key):")
                                     .arg(file, QString::number(request.attempt));
    const std::optional<QString> answer = userDialogs().answerBox(parent, prompt, Security::tr("Key passphrase"), true);
    if (!answer || answer->isEmpty())
        return std::nullopt;
    std::string passphrase = answer->toStdString();
    typed[request.keyFile] = passphrase;
    return passphrase;
}

// One box per prompt, worded by the server, titled with its name for the
// round (or the host's), its instruction above the prompt.
std::optional<std::vector<std::string>> askServerPrompts(QWidget* parent, const session::InteractivePrompts& round)
{
    const QString host = fromRemote(round.host);
    const QString caption = round.name.empty() ? Security::tr("Logon to %1").arg(host)
                                               : QStringLiteral("%1 (%2)").arg(fromRemote(round.name), host);
    const QString instruction = fromRemote(round.instruction).trimmed();
    std::vector<std::string> answers;
    for (const session::InteractivePrompts::Prompt& prompt : round.prompts) {
        const QString text = fromRemote(prompt.text);
        const std::optional<QString> answer = userDialogs().answerBox(
            parent, instruction.isEmpty() ? text : instruction + QStringLiteral("\n\n") + text, caption, !prompt.echo);
        if (!answer)
            return std::nullopt;
        answers.push_back(toRemote(*answer));
    }
    return answers;
}

} // namespace

QString certificateQuestion(const session::CertificateReport& report, bool changed)
{
    const QString server = serverName(fromRemote(report.host), report.port);
    QString text = changed ? Security::tr("The certificate of %1 has changed since you chose to trust it, "
                                            "and it could not be verified:").arg(server)
                           : Security::tr("The certificate of %1 could not be verified:").arg(server);
    for (const std::string& problem : report.problems)
        text += QLatin1Char('\n') + engineMessage(QString::fromStdString(problem));
    text += Security::tr("\n\nSubject: %1\nIssuer: %2\nValid from: %3\nValid until: %4\nSHA-256 fingerprint: %5")
                .arg(QString::fromStdString(report.subject), QString::fromStdString(report.issuer),
                     QString::fromStdString(report.validFrom), QString::fromStdString(report.validUntil),
                     QString::fromStdString(report.sha256Fingerprint));
    text += Security::tr("\n\nDo you trust this certificate and connect?");
    return text;
}

QString withoutEncryptionQuestion(const QString& host, std::uint16_t port)
{
    return Security::tr("%1 used encryption before, but now it refuses it.\n\n"
                          "Without encryption the password and the files cross the network readable by anyone "
                          "on the way. Do you want to connect without encryption?")
        .arg(serverName(host, port));
}

QString hostKeyQuestion(const session::HostKeyReport& report)
{
    const QString server = serverName(fromRemote(report.host), report.port);
    const QString type = QString::fromStdString(report.keyType);
    const QString fingerprint = QString::fromStdString(report.fingerprint);
    if (report.knownFingerprint.empty()) {
        return Security::tr("The host key of %1 is not known yet.\n\nKey type: %2\nFingerprint: %3\n\n"
                              "Connect only if this is the fingerprint the server's administrator gave you. "
                              "Do you trust this key and connect?")
            .arg(server, type, fingerprint);
    }
    return Security::tr("WARNING: the host key of %1 has changed!\n\n"
                          "Someone may be listening in on the connection, or the server was given a new key.\n\n"
                          "Key on record: %2\nKey now offered: %3 %4\n\n"
                          "Connect only if the server's administrator told you of the new key. "
                          "Do you trust the new key and connect?")
        .arg(server, QString::fromStdString(report.knownFingerprint), type, fingerprint);
}

ConnectionQuestions::ConnectionQuestions(QWidget* parent) : QObject(parent), parent_(parent) {}

ConnectionQuestions::~ConnectionQuestions() { InternetWithdrawConnectionQuestions(*this); }

bool ConnectionQuestions::trustCertificate(const session::CertificateReport& report)
{
    const QString host = fromRemote(report.host);
    const QString stored = trustedCertificateFingerprint(host, report.port);
    const QString fingerprint = QString::fromStdString(report.sha256Fingerprint);
    if (!stored.isEmpty() && stored == fingerprint)
        return true;
    if (!userDialogs().confirmRisk(parent_, certificateQuestion(report, !stored.isEmpty())))
        return false;
    storeTrustedCertificateFingerprint(host, report.port, fingerprint);
    return true;
}

bool ConnectionQuestions::continueInClear(const std::string& remoteHost, std::uint16_t port)
{
    const QString host = fromRemote(remoteHost);
    return !serverSpokeTls(host, port) || userDialogs().confirmRisk(parent_, withoutEncryptionQuestion(host, port));
}

bool ConnectionQuestions::trustHostKey(const session::HostKeyReport& report)
{
    return userDialogs().confirmRisk(parent_, hostKeyQuestion(report), !report.knownFingerprint.empty());
}

std::optional<std::string> ConnectionQuestions::keyPassphrase(const session::PassphraseRequest& request)
{
    return askKeyPassphrase(parent_, passphrases_, request);
}

std::optional<std::vector<std::string>> ConnectionQuestions::answerPrompts(const session::InteractivePrompts& prompts)
{
    return askServerPrompts(parent_, prompts);
}

void installConnectionQuestions(Form1* window)
{
    auto* questions = window->findChild<ConnectionQuestions*>(QString(), Qt::FindDirectChildrenOnly);
    if (!questions)
        questions = new ConnectionQuestions(window);
    InternetSetConnectionQuestions(*questions);
    InternetSetHostKeyStore(QFile::encodeName(sshHostKeyStoreFile()).toStdString());
}

void showConnectionEncryption(Form1* window, const engine_choice::Endpoint& endpoint, const QString& description)
{
    if (description.isEmpty()) {
        hideConnectionEncryption(window);
        return;
    }
    // Kept under the name and port the engine logs on to, as the clear-text
    // question asks about them: without the scheme typed before the host.
    rememberServerSpokeTls(fromRemote(endpoint.host), endpoint.port);
    const QString tip = Security::tr("Encrypted connection (%1)").arg(description);
    QLabel* label = padlock(window, true);
    label->setToolTip(tip);
    label->setAccessibleDescription(tip);
    label->show();
    window->lblStatus->setToolTip(tip);
}

void hideConnectionEncryption(Form1* window)
{
    if (QLabel* label = padlock(window, false))
        label->hide();
    window->lblStatus->setToolTip(QString());
}
