#pragma once
// Whole folders as one batch of the Data Transfer dialog: a walk through a
// local folder (for an upload) or a remote one (for a download) that lists
// every file with the folder it goes into on the other side, and every folder
// to make there, parents first.
//
// A local link to a folder is followed once: a folder reached a second time
// (a link back into the tree, or two links to one folder) is left out with a
// message. A remote link to a folder is followed too, but links found inside
// a followed link are left out: the server does not tell where they lead, and
// a link back up would otherwise be followed for ever. Remote names that
// cannot be one local name ("..", "a/b") are left out with a message.

#include "main_window/ftp_client.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Where one file of a folder batch lives on either side.
struct BatchFolder {
    QByteArray remote;  // absolute remote folder, ends with "/"
    QString local;      // download: the local folder below the download folder, "" or ending with "/";
                        // upload: the local folder, absolute, ending with "/"
};

struct WalkedFile {
    QString name;            // as the user reads it, the local file name
    QByteArray remoteName;   // the remote file name's bytes
    qint64 size = 0;
    qint64 remoteDate = 0;   // download: listedDateStamp, 0 when not known
    int folder = 0;          // index into FolderWalk::folders
};

struct FolderWalk {
    QList<BatchFolder> folders;  // every folder of the tree, parents first
    QList<WalkedFile> files;
    QStringList leftOut;         // one message per thing left out
    bool cancelled = false;
};

// Called after each folder with the counts so far; false cancels the walk.
using WalkProgress = std::function<bool(int files, int folders)>;

// `localFolder` (absolute) goes to `remoteFolder` (absolute, ends with "/"),
// which the walk names as the first folder to make.
void walkLocalFolder(FolderWalk& walk, const QString& localFolder, const QByteArray& remoteFolder,
                     bool withHidden, const WalkProgress& progress);
// `remoteFolder` (absolute, ends with "/") goes to the download folder's
// `localFolder` ("name/").
void walkRemoteFolder(FolderWalk& walk, HINTERNET connection, const QByteArray& remoteFolder,
                      const QString& localFolder, const WalkProgress& progress);

// True when `path` (a file to write, absolute) lies inside `folder` once
// every link of its existing part is resolved: nothing a download writes may
// end up outside the folder the user chose.
bool staysInside(const QString& folder, const QString& path);
