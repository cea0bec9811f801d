#pragma once
// The bytes of one download on their way to the target, kept in a hidden
// file beside it (".<name>.corvell-part") until the file is whole; the target
// changes only then, in one rename. A download that broke off leaves the part
// file behind with ".<name>.corvell-from", which names the remote file it is
// from (its path, and its size and date as listed), so that the next download
// of that same file into the same place continues it. A part file from any
// other remote file is thrown away.

#include "session/remote_session.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <string>

// The bytes a part file already holds, read from its start on demand, and
// no further than `size`.
class HeldPartReader final : public session::HeldBytes {
public:
    HeldPartReader(const QString& partPath, std::uint64_t size) : file_(partPath), left_(size) {}
    std::size_t read(void* buffer, std::size_t size) override;

private:
    QFile file_;
    std::uint64_t left_;
    bool failed_ = false;
};

class PartialDownload {
public:
    // `identity` tells one remote file from another (remoteFileIdentity); ""
    // when the listing cannot tell, and then nothing is kept for later.
    PartialDownload(const QString& target, const QByteArray& identity, std::uint64_t remoteSize);
    ~PartialDownload();
    PartialDownload(const PartialDownload&) = delete;
    PartialDownload& operator=(const PartialDownload&) = delete;

    // Bytes held from an earlier download of the same remote file; 0 if none.
    std::uint64_t held() const { return held_; }
    // Opens the part file to go on after its first `offset` bytes (at most
    // held()); 0 starts it afresh.
    bool open(std::uint64_t offset);
    // Reads the held bytes for whoever wants them, before open() writes after them.
    HeldPartReader heldBytes() const { return HeldPartReader(partPath_, held_); }
    QFile& file() { return file_; }
    QString errorString() const { return error_.isEmpty() ? file_.errorString() : error_; }

    // The download broke off: the part file stays for the next try, with its
    // note. Without an identity it goes all the same.
    void keep();
    // The file is whole: it replaces the target and the leftovers go.
    bool commit();

private:
    void removeLeftovers();

    QString target_;
    QString partPath_;
    QString fromPath_;
    QByteArray identity_;
    std::uint64_t held_ = 0;
    QFile file_;
    QString error_;
    bool opened_ = false;
    bool kept_ = false;
    bool committed_ = false;
};

// What tells the remote file apart: its path, its size and its date as the
// listing gave them (`listedDate` 0: no date, and so no identity).
QByteArray remoteFileIdentity(const std::string& remotePath, std::int64_t size, qint64 listedDate);
