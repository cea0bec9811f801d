#include "main_window/password_setting.h"

#include "main_window/settings_store.h"

#include <QUrl>

#include <utility>

namespace {

const QString application = QStringLiteral("Brannock");
const QString section = QStringLiteral("Corvell");
const QString valueName = QStringLiteral("Password");
// Earlier versions kept one keyring entry for every server, under this key.
const QString sharedKey = QStringLiteral("Password");

QString setting(const char* name, const QString& defaultValue = {})
{
    return GetSetting(application, section, QLatin1String(name), defaultValue);
}

} // namespace

// "user@host:port": the user name cannot hold a bare "@" and the port no
// bare ":", so no two accounts share a key, and no key is the shared one.
QString passwordKey(const PasswordAccount& account)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(account.user)) + QLatin1Char('@') + account.host
           + QLatin1Char(':') + QString::fromLatin1(QUrl::toPercentEncoding(account.port));
}

PasswordSetting::PasswordSetting(QObject* parent)
    : QObject(parent),
      vault_(QStringLiteral("Corvell")),
      account_{setting("User Name"), setting("Host Name"), setting("Port", QStringLiteral("21"))}
{
    idle_.setSingleShot(true);
    idle_.setInterval(idleMs);
    connect(&idle_, &QTimer::timeout, this, &PasswordSetting::flush);
    restored_ = current_ = restore();
}

PasswordSetting::~PasswordSetting() { flush(); }

QString PasswordSetting::restore()
{
    const std::optional<QString> moved = moveSharedEntry();
    if (HasSetting(application, section, valueName)) {
        const QString text = GetSetting(application, section, valueName, {});
        store(text);
        return text;
    }
    if (moved)
        return *moved;
    if (!keyringAnswers_)
        return {};
    return readKeyring().value_or(QString());
}

// The shared entry was written for the account the settings file names, the
// one being restored, and is newer than any entry of this version's there.
// Should the removal fail, the next start moves the same text again.
std::optional<QString> PasswordSetting::moveSharedEntry()
{
    const PasswordVault::Reading shared = vault_.read(sharedKey);
    if (shared.answer == PasswordVault::Answer::Unavailable)
        keyringAnswers_ = false;
    if (shared.answer != PasswordVault::Answer::Found)
        return std::nullopt;
    if (!vault_.write(passwordKey(account_), shared.text)) {
        keyringAnswers_ = false;
        return shared.text;
    }
    known_ = account_;
    inKeyring_ = shared.text;
    if (!vault_.remove(sharedKey))
        keyringAnswers_ = false;
    return shared.text;
}

void PasswordSetting::save(const QString& text)
{
    current_ = text;
    if (!keyringAnswers_) {
        store(text);
        return;
    }
    pending_ = text;
    idle_.start();
}

// A password typed and still waiting belongs to the account shown while it
// was typed.
void PasswordSetting::setAccount(const PasswordAccount& account)
{
    if (account == account_)
        return;
    if (pending_ && !writing_)
        writePending();
    account_ = account;
}

void PasswordSetting::flush()
{
    if (pending_) {
        // A change that arrives while the keyring is being asked waits for the next pause.
        if (writing_)
            idle_.start();
        else
            writePending();
    } else if (keyringAnswers_ && known_ != account_ && !writing_) {
        writing_ = true;
        keepForNewAccount();
        writing_ = false;
    }
}

// Asks the keyring for the account's password and remembers what it said.
std::optional<QString> PasswordSetting::readKeyring()
{
    const PasswordVault::Reading reading = vault_.read(passwordKey(account_));
    switch (reading.answer) {
    case PasswordVault::Answer::Found:
        known_ = account_;
        inKeyring_ = reading.text;
        return reading.text;
    case PasswordVault::Answer::NotFound:
        known_ = account_;
        inKeyring_.reset();
        return std::nullopt;
    case PasswordVault::Answer::Unavailable:
        keyringAnswers_ = false;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> PasswordSetting::recall()
{
    if (!keyringAnswers_ || writing_)
        return std::nullopt;
    if (pending_)
        writePending();
    return readKeyring();
}

bool PasswordSetting::forget(const PasswordAccount& account)
{
    if (!keyringAnswers_ || writing_)
        return false;
    if (known_ == account) {
        known_.reset();
        inKeyring_.reset();
    }
    return vault_.remove(passwordKey(account));
}

void PasswordSetting::writePending()
{
    idle_.stop();
    writing_ = true;
    store(*std::exchange(pending_, std::nullopt));
    writing_ = false;
}

// The box still shows the password of the account the user came from, so it
// never replaces one the keyring holds for the new account; but a server the
// user moved to with the same password should show it next time.
void PasswordSetting::keepForNewAccount()
{
    if (current_.isEmpty())
        return;
    const PasswordVault::Reading reading = vault_.read(passwordKey(account_));
    switch (reading.answer) {
    case PasswordVault::Answer::Found:
        known_ = account_;
        inKeyring_ = reading.text;
        return;
    case PasswordVault::Answer::NotFound:
        store(current_);
        return;
    case PasswordVault::Answer::Unavailable:
        keyringAnswers_ = false;
        store(current_);
        return;
    }
}

// Once the keyring fails a request it is not asked again by this window: a
// keyring that stopped answering would cost the whole time-out on every change.
void PasswordSetting::store(const QString& text)
{
    if (keyringAnswers_ && (known_ != account_ || inKeyring_ != text)) {
        if (vault_.write(passwordKey(account_), text)) {
            known_ = account_;
            inKeyring_ = text;
        } else {
            keyringAnswers_ = false;
        }
    }
    if (!keyringAnswers_)
        SaveSetting(application, section, valueName, text);
    else if (HasSetting(application, section, valueName))
        DeleteSetting(application, section, valueName);
}
