#pragma once
// The stored password of the connection settings. It lives in the desktop's
// keyring, one entry per account (user name, host name as typed, port as
// typed), so each server keeps its own; where no keyring answers it stays in
// the owner-only settings file beside the other three values, written on every
// change as they are. Typing reaches the keyring after a short pause, and at
// the latest when the window goes, so the keyring sees one write per pause
// rather than one per key.

#include "main_window/password_vault.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// What a password belongs to: the three other connection settings as typed.
struct PasswordAccount {
    QString user;
    QString host;
    QString port;
    bool operator==(const PasswordAccount&) const = default;
};

// The keyring entry of `account`'s password.
QString passwordKey(const PasswordAccount& account);

class PasswordSetting : public QObject {
    Q_OBJECT
public:
    static constexpr int idleMs = 500;

    // Reads the value stored for the account in the settings file. One still
    // in that file is the newest: it moves into the keyring and leaves the file
    // once the keyring confirmed it. The one entry that earlier versions kept
    // for every server moves to this account's entry the same way.
    explicit PasswordSetting(QObject* parent = nullptr);
    ~PasswordSetting() override;

    const QString& restored() const { return restored_; }
    void save(const QString& text);
    // The user, host or port box changed: what was typed before goes to the
    // account it was typed for, what follows to the new one.
    void setAccount(const PasswordAccount& account);
    // Writes what is still waiting for the pause to end, and gives an account
    // the user moved to without typing a password the one shown, unless the
    // keyring already holds one for it.
    void flush();
    // What the keyring holds for the account now set, for a kept server just
    // picked; nothing when it holds none or does not answer.
    std::optional<QString> recall();
    // Takes `account`'s password out of the keyring; true once it confirmed.
    bool forget(const PasswordAccount& account);

private:
    QString restore();
    std::optional<QString> moveSharedEntry();
    std::optional<QString> readKeyring();
    void writePending();
    void keepForNewAccount();
    void store(const QString& text);

    PasswordVault vault_;
    PasswordAccount account_;
    QString restored_;
    QString current_;  // the text the password box holds
    QTimer idle_;
    std::optional<QString> pending_;
    // What the keyring holds for `known_`, so repeats cost nothing.
    std::optional<PasswordAccount> known_;
    std::optional<QString> inKeyring_;
    bool keyringAnswers_ = true;  // false from the first request it failed
    bool writing_ = false;
};
