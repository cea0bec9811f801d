#include "transfer/partial_download.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

// Longest file name the usual file systems take, in bytes.
constexpr qsizetype maxNameBytes = 255;

// ".<name><suffix>" beside the target; a name too long for that becomes a
// digest of itself, still one per target name.
QString hiddenSibling(const QString& target, const char* suffix)
{
    const QFileInfo info(target);
    QString name = QLatin1Char('.') + info.fileName() + QLatin1String(suffix);
    if (QFile::encodeName(name).size() > maxNameBytes)
        name = QLatin1Char('.')
               + QString::fromLatin1(QCryptographicHash::hash(QFile::encodeName(info.fileName()),
                                                               QCryptographicHash::Sha1)
                                         .toHex())
               + QLatin1String(suffix);
    return info.path() + QLatin1Char('/') + name;
}

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}

} // namespace

QByteArray remoteFileIdentity(const std::string& remotePath, std::int64_t size, qint64 listedDate)
{
    if (listedDate == 0 || size <= 0)
        return {};
    return QByteArray("corvell partial download\n") + QByteArray::fromStdString(remotePath) + '\n'
           + QByteArray::number(size) + '\n' + QByteArray::number(listedDate) + '\n';
}

PartialDownload::PartialDownload(const QString& target, const QByteArray& identity, std::uint64_t remoteSize)
    : target_(target),
      partPath_(hiddenSibling(target, ".corvell-part")),
      fromPath_(hiddenSibling(target, ".corvell-from")),
      identity_(identity)
{
    file_.setFileName(partPath_);
    const QFileInfo part(partPath_);
    if (!part.exists() && !QFileInfo::exists(fromPath_))
        return;
    // held_ > 0 says the note is there too.
    const bool same = !identity_.isEmpty() && part.isFile() && part.size() > 0
                      && std::uint64_t(part.size()) <= remoteSize && readSmallFile(fromPath_) == identity_;
    if (same)
        held_ = std::uint64_t(part.size());
    else
        removeLeftovers();
}

PartialDownload::~PartialDownload()
{
    if (opened_ && !committed_ && !kept_)
        removeLeftovers();
}

void PartialDownload::removeLeftovers()
{
    file_.close();
    QFile::remove(partPath_);
    QFile::remove(fromPath_);
}

bool PartialDownload::open(std::uint64_t offset)
{
    opened_ = true;
    if (offset > 0) {
        return file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && file_.resize(qint64(offset))
               && file_.seek(qint64(offset));
    }
    // Starting afresh: the note about what was held no longer holds.
    if (held_ > 0)
        QFile::remove(fromPath_);
    held_ = 0;
    return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

void PartialDownload::keep()
{
    if (identity_.isEmpty())
        return;
    // Written only now, so a download that goes well costs no note at all.
    if (held_ == 0) {
        QFile from(fromPath_);
        if (!from.open(QIODevice::WriteOnly | QIODevice::Truncate) || from.write(identity_) != identity_.size()
            || !from.flush()) {
            from.close();
            QFile::remove(fromPath_);
            return;
        }
    }
    kept_ = true;
}

std::size_t HeldPartReader::read(void* buffer, std::size_t size)
{
    if (failed_ || left_ == 0)
        return 0;
    if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly)) {
        failed_ = true;
        return 0;
    }
    const qint64 count = file_.read(static_cast<char*>(buffer), qint64(std::min<std::uint64_t>(size, left_)));
    if (count <= 0) {
        failed_ = true;
        return 0;
    }
    left_ -= std::uint64_t(count);
    return std::size_t(count);
}

bool PartialDownload::commit()
{
    // On the disk before it takes the target's name, so a crash cannot leave a hollow file there.
    if (!file_.flush() || ::fsync(file_.handle()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // An existing target keeps its permissions, as when it was overwritten in place.
    if (QFileInfo::exists(target_))
        (void)file_.setPermissions(QFile::permissions(target_));
    file_.close();
    if (std::rename(QFile::encodeName(partPath_).constData(), QFile::encodeName(target_).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    committed_ = true;
    if (held_ > 0)
        QFile::remove(fromPath_);
    return true;
}
