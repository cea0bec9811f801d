#include "main_window/settings_store.h"

#include "main_window/form1.h"
#include "main_window/pasted_address.h"
#include "main_window/password_setting.h"

#include <QFile>
#include <QLineEdit>
#include <QSettings>

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The file holds the password where no keyring answers: it is created readable
// by its owner only, and the atomic rewrite of the store keeps the permissions
// of the file it replaces.
void createOwnerOnly(const QSettings& settings)
{
    QFile file(settings.fileName());
    if (!file.exists())
        (void)file.open(QIODevice::WriteOnly, ownerOnly);
}

void restrictToOwner(const QSettings& settings)
{
    QFile::setPermissions(settings.fileName(), ownerOnly);
}

} // namespace

QString GetSetting(const QString& application, const QString& section, const QString& name,
                   const QString& defaultValue)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    return settings.value(name, defaultValue).toString();
}

void SaveSetting(const QString& application, const QString& section, const QString& name,
                 const QString& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application);
    createOwnerOnly(settings);
    settings.beginGroup(section);
    settings.setValue(name, value);
    settings.endGroup();
    settings.sync();
    restrictToOwner(settings);
}

bool HasSetting(const QString& application, const QString& section, const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    return settings.contains(name);
}

void DeleteSetting(const QString& application, const QString& section, const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    settings.remove(name);
    settings.endGroup();
    settings.sync();
    restrictToOwner(settings);
}

void Form1::setupSettingsSaving()
{
    const auto saveOnChange = [this](QLineEdit* box, const QString& name) {
        connect(box, &QLineEdit::textChanged, this, [name](const QString& text) {
            // A pasted address may carry a password; it is never kept.
            SaveSetting(QStringLiteral("Brannock"), QStringLiteral("Corvell"), name,
                        name == QLatin1String("Host Name") ? hostFieldToKeep(text) : text);
        });
    };
    saveOnChange(txtHostName, QStringLiteral("Host Name"));
    saveOnChange(txtPort, QStringLiteral("Port"));
    saveOnChange(txtUserName, QStringLiteral("User Name"));
    // The password goes to the desktop's keyring where one answers, under the
    // account the other three boxes name.
    for (QLineEdit* box : {txtHostName, txtPort, txtUserName})
        connect(box, &QLineEdit::textChanged, passwordSetting_, [this] {
            passwordSetting_->setAccount({txtUserName->text(), hostFieldToKeep(txtHostName->text()), txtPort->text()});
        });
    connect(txtPassword, &QLineEdit::textChanged, passwordSetting_, &PasswordSetting::save);
}
