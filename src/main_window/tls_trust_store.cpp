#include "main_window/tls_trust_store.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString trustedGroup = QStringLiteral("Trusted Certificates");
const QString encryptedGroup = QStringLiteral("Encrypted Servers");

// Host names are compared as DNS does, without regard to case.
QString serverKey(const QString& host, std::uint16_t port)
{
    return host.trimmed().toLower() + QLatin1Char(':') + QString::number(port);
}

QString readValue(const QString& group, const QString& key)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock"));
    settings.beginGroup(group);
    return settings.value(key).toString();
}

void writeValue(const QString& group, const QString& key, const QString& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock"));
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    // The file also holds the connection values: it stays readable by its owner only.
    QFile::setPermissions(settings.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QString trustedCertificateFingerprint(const QString& host, std::uint16_t port)
{
    return readValue(trustedGroup, serverKey(host, port));
}

void storeTrustedCertificateFingerprint(const QString& host, std::uint16_t port, const QString& fingerprint)
{
    writeValue(trustedGroup, serverKey(host, port), fingerprint);
}

bool serverSpokeTls(const QString& host, std::uint16_t port)
{
    return readValue(encryptedGroup, serverKey(host, port)) == QLatin1String("yes");
}

void rememberServerSpokeTls(const QString& host, std::uint16_t port)
{
    writeValue(encryptedGroup, serverKey(host, port), QStringLiteral("yes"));
}

QString sshHostKeyStoreFile()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock"));
    return QFileInfo(settings.fileName()).absolutePath() + QStringLiteral("/Brannock/known_hosts");
}
