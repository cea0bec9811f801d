#include "transfer/folder_walk.h"

#include "main_window/engine_messages.h"
#include "main_window/remote_names.h"
#include "remote/display_formats.h"
#include "transfer/transfer_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <string>

namespace {

struct WalkTexts {
    Q_DECLARE_TR_FUNCTIONS(FolderWalk)
};

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

QByteArray remoteBytes(const QString& name)
{
    const std::string bytes = toRemote(name);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

void walkLocalFolder(FolderWalk& walk, const QString& localFolder, const QByteArray& remoteFolder,
                     bool withHidden, const WalkProgress& progress)
{
    QSet<QString> visited;
    QList<int> pending;
    const auto addFolder = [&](const QString& local, const QByteArray& remote) {
        const QString canonical = QFileInfo(local).canonicalFilePath();
        if (visited.contains(canonical)) {
            walk.leftOut << WalkTexts::tr("The folder %1 leads to a folder already sent (a link back into the "
                                           "tree?): it was left out.").arg(quoted(QDir::toNativeSeparators(local)));
            return;
        }
        visited.insert(canonical);
        walk.folders.append({remote, folderPrefix(local)});
        pending.append(int(walk.folders.size() - 1));
    };
    addFolder(localFolder, remoteFolder);
    QDir::Filters filters = QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot;
    if (withHidden)
        filters |= QDir::Hidden;
    while (!pending.isEmpty() && !walk.cancelled) {
        const int index = pending.takeFirst();
        const BatchFolder folder = walk.folders.at(index);
        const QDir dir(folder.local);
        if (!dir.isReadable())
            walk.leftOut << WalkTexts::tr("The folder %1 cannot be read: it was left out.").arg(quoted(folder.local));
        for (const QFileInfo& entry : dir.entryInfoList(filters, QDir::Name)) {
            const QByteArray remoteName = remoteBytes(entry.fileName());
            if (entry.isDir())
                addFolder(entry.absoluteFilePath(), folder.remote + remoteName + '/');
            else
                walk.files.append({entry.fileName(), remoteName, entry.size(), 0, index});
        }
        if (progress && !progress(int(walk.files.size()), int(walk.folders.size())))
            walk.cancelled = true;
    }
}

void walkRemoteFolder(FolderWalk& walk, HINTERNET connection, const QByteArray& remoteFolder,
                      const QString& localFolder, const WalkProgress& progress)
{
    struct Pending {
        int index;
        bool insideLink;
    };
    QList<Pending> pending;
    walk.folders.append({remoteFolder, localFolder});
    pending.append({int(walk.folders.size() - 1), false});
    while (!pending.isEmpty() && !walk.cancelled) {
        const Pending next = pending.takeFirst();
        const BatchFolder folder = walk.folders.at(next.index);
        const QString shownFolder = displayPath(folder.remote.toStdString());
        WIN32_FIND_DATAA record;
        const HINTERNET find = FtpFindFirstFileA(connection, folder.remote.toStdString() + "*.*", record,
                                                 INTERNET_FLAG_RELOAD, 0);
        if (!find && GetLastError() != ERROR_NO_MORE_FILES) {
            walk.leftOut << WalkTexts::tr("The folder %1 could not be listed (%2): it was left out.")
                                .arg(quoted(shownFolder), engineMessage(fromRemote(InternetGetLastErrorText())));
        }
        for (bool more = find != 0; more; more = InternetFindNextFileA(find, record)) {
            const std::string raw = record.cFileName.substr(0, record.cFileName.find('\0'));
            const QByteArray rawName(raw.data(), qsizetype(raw.size()));
            if (rawName == "." || rawName == "..")
                continue;
            // Shown as the list shows it; that text is the local name.
            const QString name = displayName(raw);
            if (!isPlainLocalName(rawName) || !isPlainLocalName(QFile::encodeName(name))) {
                walk.leftOut << WalkTexts::tr("The remote name %1 in %2 cannot be a local name: it was left out.")
                                    .arg(quoted(name), quoted(shownFolder));
                continue;
            }
            const bool isLink = (record.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if ((record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                if (isLink && next.insideLink) {
                    walk.leftOut << WalkTexts::tr("The folder link %1 in %2 lies inside a linked folder and was "
                                                   "not followed.").arg(quoted(name), quoted(shownFolder));
                    continue;
                }
                walk.folders.append({folder.remote + rawName + '/', folder.local + name + QLatin1Char('/')});
                pending.append({int(walk.folders.size() - 1), next.insideLink || isLink});
            } else {
                const bool dated = record.ftLastWriteTime.month >= 1 && record.ftLastWriteTime.day >= 1;
                walk.files.append({name, rawName, qint64(record.fileSize),
                                   dated ? listedDateStamp(record.ftLastWriteTime) : 0, next.index});
            }
        }
        (void)InternetCloseHandle(find);
        if (progress && !progress(int(walk.files.size()), int(walk.folders.size())))
            walk.cancelled = true;
    }
}

bool staysInside(const QString& folder, const QString& path)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return false;
    // The deepest part of the path that exists, resolved; the rest is made
    // below it as plain folders and names already checked.
    QString existing = QDir::cleanPath(path);
    while (!existing.isEmpty() && !QFileInfo::exists(existing))
        existing = QFileInfo(existing).path();
    const QString resolved = QFileInfo(existing).canonicalFilePath();
    return resolved == root || resolved.startsWith(folderPrefix(root));
}
