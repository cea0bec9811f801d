#include "transfer/transfer_paths.h"

QString folderPrefix(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString uploadRemoteName(const QString& entry)
{
    return entry.mid(entry.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isPlainLocalName(const QByteArray& name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    return !name.contains('/') && !name.contains('\0');
}
