#pragma once
// The servers a user keeps: every account logged on to successfully (host as
// typed, scheme included; port; user), most recent first, at most 50, kept in
// the settings file beside the four connection values. The Host box offers
// them as a drop-down with completion; picking one fills port and user and
// the keyring gives that account's password; Delete on the highlighted entry
// forgets it, and after a question its stored password too.

#include <QList>
#include <QObject>
#include <QString>

class Form1;
class QCompleter;
class QStandardItemModel;

struct KeptServer {
    QString host;
    QString port;
    QString user;
    bool operator==(const KeptServer&) const = default;
};

// The settings value that holds them, one percent-encoded "host port user"
// line each; a settings file without it keeps no server.
QList<KeptServer> readKeptServers();
void writeKeptServers(const QList<KeptServer>& servers);
// `server` at the front, any older copy of it dropped, the list cut to its cap.
QList<KeptServer> withRecent(QList<KeptServer> servers, const KeptServer& server);

class KeptServers : public QObject {
    Q_OBJECT
public:
    static constexpr int maxKept = 50;

    explicit KeptServers(Form1& window);

    // After a successful logon: the account the session used goes first.
    void remember(const KeptServer& server);
    // Fills host, port and user from the entry and asks the keyring for its password.
    void pick(const KeptServer& server);
    // Forgets the entry, and its stored password once the user agreed.
    void forget(const KeptServer& server);
    // Opens the drop-down with every kept server.
    void showAll();

    QCompleter* completer() const { return completer_; }
    const QList<KeptServer>& servers() const { return servers_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refill();

    Form1& window_;
    QList<KeptServer> servers_;
    QStandardItemModel* model_ = nullptr;
    QCompleter* completer_ = nullptr;
};

// The window's kept servers (set up with the window).
KeptServers* keptServersOf(const Form1& window);
