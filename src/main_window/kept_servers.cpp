#include "main_window/kept_servers.h"

#include "main_window/form1.h"
#include "main_window/password_setting.h"
#include "main_window/settings_store.h"
#include "main_window/user_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyle>
#include <QUrl>

namespace {

const QString application = QStringLiteral("Brannock");
const QString section = QStringLiteral("Corvell");
const QString valueName = QStringLiteral("Kept Servers");

constexpr int HostRole = Qt::UserRole + 1;
constexpr int PortRole = Qt::UserRole + 2;
constexpr int UserRole = Qt::UserRole + 3;

QString encoded(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }
QString decoded(const QString& text) { return QUrl::fromPercentEncoding(text.toLatin1()); }

KeptServer serverAt(const QModelIndex& index)
{
    return {index.data(HostRole).toString(), index.data(PortRole).toString(), index.data(UserRole).toString()};
}

} // namespace

QList<KeptServer> readKeptServers()
{
    QList<KeptServer> servers;
    const QString text = GetSetting(application, section, valueName, QString());
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // Three fields, each percent-encoded: no space inside any of them.
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 3 || fields.at(0).isEmpty())
            continue;
        servers.append({decoded(fields.at(0)), decoded(fields.at(1)), decoded(fields.at(2))});
        if (servers.size() == KeptServers::maxKept)
            break;
    }
    return servers;
}

void writeKeptServers(const QList<KeptServer>& servers)
{
    QStringList lines;
    for (const KeptServer& server : servers)
        lines << encoded(server.host) + QLatin1Char(' ') + encoded(server.port) + QLatin1Char(' ') + encoded(server.user);
    SaveSetting(application, section, valueName, lines.join(QLatin1Char('\n')));
}

QList<KeptServer> withRecent(QList<KeptServer> servers, const KeptServer& server)
{
    servers.removeAll(server);
    servers.prepend(server);
    while (servers.size() > KeptServers::maxKept)
        servers.removeLast();
    return servers;
}

KeptServers::KeptServers(Form1& window)
    : QObject(&window), window_(window), servers_(readKeptServers()), model_(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("keptServers"));
    completer_ = new QCompleter(model_, this);
    completer_->setCompletionRole(HostRole);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    // "example" finds "sftp://files.example.org" too.
    completer_->setFilterMode(Qt::MatchContains);
    completer_->setMaxVisibleItems(12);
    window.txtHostName->setCompleter(completer_);
    connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { pick(serverAt(index)); });
    // Installed after the completer's own filter, so it sees Delete first.
    completer_->popup()->installEventFilter(this);
    window.txtHostName->installEventFilter(this);

    auto* dropDown = window.txtHostName->addAction(window.style()->standardIcon(QStyle::SP_ArrowDown),
                                                   QLineEdit::TrailingPosition);
    dropDown->setObjectName(QStringLiteral("keptServersDropDown"));
    dropDown->setToolTip(tr("Servers logged on to before"));
    connect(dropDown, &QAction::triggered, this, &KeptServers::showAll);
    refill();
}

void KeptServers::refill()
{
    model_->clear();
    for (const KeptServer& server : servers_) {
        auto* item = new QStandardItem(tr("%1  (%2, port %3)").arg(server.host, server.user, server.port));
        item->setData(server.host, HostRole);
        item->setData(server.port, PortRole);
        item->setData(server.user, UserRole);
        item->setEditable(false);
        model_->appendRow(item);
    }
    if (auto* dropDown = window_.txtHostName->findChild<QAction*>(QStringLiteral("keptServersDropDown")))
        dropDown->setVisible(!servers_.isEmpty());
}

void KeptServers::remember(const KeptServer& server)
{
    if (server.host.trimmed().isEmpty())
        return;
    servers_ = withRecent(readKeptServers(), server);
    writeKeptServers(servers_);
    refill();
}

void KeptServers::pick(const KeptServer& server)
{
    window_.txtHostName->setText(server.host);
    window_.txtPort->setText(server.port);
    window_.txtUserName->setText(server.user);
    // The boxes' change handlers have moved the password setting to this account.
    auto* password = window_.findChild<PasswordSetting*>();
    if (!password)
        return;
    if (const std::optional<QString> text = password->recall())
        window_.txtPassword->setText(*text);
}

void KeptServers::forget(const KeptServer& server)
{
    completer_->popup()->hide();
    const bool agreed = userDialogs().confirm(
        &window_, tr("Forget the server %1 (user %2, port %3) and the password stored for it?")
                      .arg(server.host, server.user, server.port));
    if (!agreed)
        return;
    servers_ = readKeptServers();
    servers_.removeAll(server);
    writeKeptServers(servers_);
    refill();
    if (auto* password = window_.findChild<PasswordSetting*>())
        (void)password->forget({server.user, server.host, server.port});
}

void KeptServers::showAll()
{
    if (servers_.isEmpty())
        return;
    completer_->setCompletionPrefix(QString());
    completer_->complete();
}

bool KeptServers::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QAbstractItemView* popup = completer_->popup();
    if (watched == popup && key->key() == Qt::Key_Delete && popup->currentIndex().isValid()) {
        forget(serverAt(popup->currentIndex()));
        return true;
    }
    // Down (or Alt+Down) in the Host box opens the list, as in a combo box.
    if (watched == window_.txtHostName && key->key() == Qt::Key_Down && !popup->isVisible()) {
        showAll();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

KeptServers* keptServersOf(const Form1& window)
{
    return window.findChild<KeptServers*>(QStringLiteral("keptServers"));
}
