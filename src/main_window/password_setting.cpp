#include "main_window/password_setting.h"

#include "main_window/settings_store.h"

#include <utility>

namespace {

const QString application = QStringLiteral("Brannock");
const QString section = QStringLiteral("Corvell");
const QString valueName = QStringLiteral("Password");

} // namespace

PasswordSetting::PasswordSetting(QObject* parent) : QObject(parent), vault_(QStringLiteral("Corvell"))
{
    idle_.setSingleShot(true);
    idle_.setInterval(idleMs);
    connect(&idle_, &QTimer::timeout, this, &PasswordSetting::flush);
    restored_ = restore();
}

PasswordSetting::~PasswordSetting() { flush(); }

QString PasswordSetting::restore()
{
    if (HasSetting(application, section, valueName)) {
        const QString text = GetSetting(application, section, valueName, {});
        store(text);
        return text;
    }
    const PasswordVault::Reading reading = vault_.read(valueName);
    switch (reading.answer) {
    case PasswordVault::Answer::Found:
        inKeyring_ = reading.text;
        return reading.text;
    case PasswordVault::Answer::NotFound:
        return {};
    case PasswordVault::Answer::Unavailable:
        keyringAnswers_ = false;
        return {};
    }
    return {};
}

void PasswordSetting::save(const QString& text)
{
    if (!keyringAnswers_) {
        store(text);
        return;
    }
    pending_ = text;
    idle_.start();
}

void PasswordSetting::flush()
{
    idle_.stop();
    if (!pending_)
        return;
    // A change that arrives while the keyring is being asked waits for the next pause.
    if (writing_) {
        idle_.start();
        return;
    }
    writing_ = true;
    store(*std::exchange(pending_, std::nullopt));
    writing_ = false;
}

// Once the keyring fails a request it is not asked again by this window: a
// keyring that stopped answering would cost the whole time-out on every change.
void PasswordSetting::store(const QString& text)
{
    if (keyringAnswers_ && inKeyring_ != text) {
        if (vault_.write(valueName, text))
            inKeyring_ = text;
        else
            keyringAnswers_ = false;
    }
    if (!keyringAnswers_)
        SaveSetting(application, section, valueName, text);
    else if (HasSetting(application, section, valueName))
        DeleteSetting(application, section, valueName);
}
