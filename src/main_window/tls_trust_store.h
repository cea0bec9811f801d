#pragma once
// What the program remembers about encrypted servers, per user and per server
// (host name as typed, and port), in the same settings file as the connection
// values: whether the server spoke TLS, and the fingerprint of a certificate
// the user chose to trust although it did not pass the check.

#include <QString>

#include <cstdint>

// The trusted fingerprint for the server, "" when none was stored.
QString trustedCertificateFingerprint(const QString& host, std::uint16_t port);
void storeTrustedCertificateFingerprint(const QString& host, std::uint16_t port, const QString& fingerprint);

// True once a logon to the server was encrypted.
bool serverSpokeTls(const QString& host, std::uint16_t port);
void rememberServerSpokeTls(const QString& host, std::uint16_t port);

// The known_hosts-format file, beside the settings, of the SSH host keys the
// user chose to trust.
QString sshHostKeyStoreFile();
