#pragma once
// The stored password of the connection settings. It lives in the desktop's
// keyring; where none answers it stays in the owner-only settings file beside
// the other three values, written on every change as they are. Typing reaches
// the keyring after a short pause, and at the latest when the window goes, so
// the keyring sees one write per pause rather than one per key.

#include "main_window/password_vault.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class PasswordSetting : public QObject {
    Q_OBJECT
public:
    static constexpr int idleMs = 500;

    // Reads the stored value. One still in the settings file is the newest: it
    // moves into the keyring and leaves the file once the keyring confirmed it.
    explicit PasswordSetting(QObject* parent = nullptr);
    ~PasswordSetting() override;

    const QString& restored() const { return restored_; }
    void save(const QString& text);
    // Writes what is still waiting for the pause to end.
    void flush();

private:
    QString restore();
    void store(const QString& text);

    PasswordVault vault_;
    QString restored_;
    QTimer idle_;
    std::optional<QString> pending_;
    std::optional<QString> inKeyring_;  // what the keyring holds, so repeats cost nothing
    bool keyringAnswers_ = true;        // false from the first request it failed
    bool writing_ = false;
};
