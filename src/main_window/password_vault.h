#pragma once
// The desktop's secret store (Secret Service, KWallet, ...) as seen by the
// settings: read and write one text under a key, each waiting a bounded time,
// so a keyring that never answers cannot hold the window.

#include <QString>

#include <utility>

class PasswordVault {
public:
    enum class Answer {
        Found,       // the store holds a text under the key
        NotFound,    // the store answered and holds nothing under the key
        Unavailable  // no store, a locked or refusing one, or no answer in time
    };
    struct Reading {
        Answer answer = Answer::Unavailable;
        QString text;
    };

    // How long one request may take before the store counts as unavailable.
    static constexpr int answerTimeoutMs = 2000;

    explicit PasswordVault(QString service) : service_(std::move(service)) {}

    Reading read(const QString& key);
    // True only once the store confirmed that it holds `text`.
    bool write(const QString& key, const QString& text);
    // True once the store confirmed that nothing is left under the key.
    bool remove(const QString& key);

    // Set to any text, CORVELL_NO_KEYRING keeps the program away from the
    // desktop's store: the demo runs with its own throw-away settings and
    // must not leave or change a secret of the user's.
    static bool turnedOff();

private:
    QString service_;
};
