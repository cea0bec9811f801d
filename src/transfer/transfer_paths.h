#pragma once
// How batch entries become local and remote paths.

#include <QByteArray>
#include <QString>

// The local folder as a prefix: ends with exactly one "/" ("/" stays "/").
QString folderPrefix(const QString& folder);
// The file name of an upload entry: the part after its last "/".
QString uploadRemoteName(const QString& entry);
// True when `name` (a remote file name's bytes) can be a file directly inside
// the download folder: not empty, not "." or "..", no "/" and no NUL byte.
bool isPlainLocalName(const QByteArray& name);
