// Download: fetches each entry of the batch from the current remote folder
// into downloadFolder, in 1024-byte blocks, with the read-outs kept current.
//
// Each file is written to a hidden part file beside its target, which
// replaces the target only after the last block and the server's confirmation
// (see PartialDownload). A local file of the same name stays as it was until
// then. A download that broke off (the connection broke, went silent, or the
// server cut it short) keeps its part file, and the next download of the same
// remote file into the same place continues from it, counting its bytes as
// already received. Any other failure (a file found damaged, a local file
// that cannot be written) leaves no part file.

#include "main_window/engine_messages.h"
#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/tick_clock.h"
#include "main_window/user_dialogs.h"
#include "remote/display_formats.h"
#include "transfer/file_line_label.h"
#include "transfer/form2.h"
#include "transfer/partial_download.h"
#include "transfer/progress_bar.h"
#include "transfer/readout_display.h"
#include "transfer/transfer_paths.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <vector>

namespace {

constexpr std::uint32_t blockSize = 1024;

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

QString lastServerError() { return engineMessage(fromRemote(InternetGetLastErrorText())); }

// Blocks are read straight into a 256 KiB buffer that goes to the file in one
// write when full: a copy and a small write per 1024-byte block would cost
// more than the network side of a fast download.
class BlockCollector {
public:
    explicit BlockCollector(QFile& file) : file_(file) {}

    // Room for the next block; false when the file refused what was pending.
    bool makeRoom(char*& block)
    {
        if (buffer_.size() - used_ < blockSize && !flush())
            return false;
        block = buffer_.data() + used_;
        return true;
    }
    void keep(std::uint32_t count) { used_ += count; }
    bool flush()
    {
        const qint64 pending = qint64(used_);
        used_ = 0;
        return pending == 0 || file_.write(buffer_.data(), pending) == pending;
    }

private:
    QFile& file_;
    std::vector<char> buffer_ = std::vector<char>(256 * 1024);
    std::size_t used_ = 0;
};

} // namespace

void Form2::Download()
{
    closeLeftoverRemoteFile();
    TransferReadouts readouts(batchTotal);
    ReadoutDisplay display(*this);

    ProgressBar2->setValue(std::int64_t(0));
    ProgressBar2->setMin(0);
    ProgressBar2->setMax(readouts.total());
    display.showTotal(readouts);
    PushButton2->setEnabled(true);

    const bool folderBatch = !entryFolders.isEmpty();
    for (const BatchFolder& folder : foldersToMake) {
        const QString path = downloadFolder + folder.local;
        if (staysInside(downloadFolder, path))
            (void)QDir().mkpath(path);
    }
    // Entries not transferred in a folder batch, which goes on past them.
    int notTransferred = 0;
    struct StopBatch {};
    const auto listedNameAt = [&](qsizetype p) {
        return remoteNames.value(p).isEmpty() ? List1.at(p).toUtf8() : remoteNames.value(p);
    };
    const auto remotePathAt = [&](qsizetype p) {
        return (folderBatch ? entryFolders.value(p).remote.toStdString() : toRemote(owner_.session.currentPath))
               + listedNameAt(p).toStdString();
    };
    const auto transferOne = [&](qsizetype p) -> bool {
        const QString entry = List1.at(p);
        const std::int64_t size = List2.value(p);

        ProgressBar1->setValue(std::int64_t(0));
        ProgressBar1->setMin(0);
        ProgressBar1->setMax(size);
        Label1->setFileLine(tr("Downloading File: "), entry, tr(" / %1 bytù.").arg(size));
        Label1->repaint();
        Label2->setText(tr("File:       %1 / %2").arg(QString::number(p + 1), QString::number(mTotalCount)));
        Label2->repaint();

        // The listed name is the server's; it must name a file inside the
        // download folder and nothing else.
        const QByteArray listedName = listedNameAt(p);
        if (!isPlainLocalName(listedName) || !isPlainLocalName(QFile::encodeName(entry)))
            throw StepFailure(tr("The remote name %1 is not a file name allowed in the folder %2")
                                  .arg(quoted(entry), downloadFolder));
        const std::string remotePath = remotePathAt(p);
        const QString localPath = downloadFolder + (folderBatch ? entryFolders.value(p).local : QString()) + entry;
        // A folder the server named, or a link already in the download
        // folder, must not lead the file anywhere outside it.
        if (folderBatch && !staysInside(downloadFolder, localPath))
            throw StepFailure(tr("%1 would lie outside the folder %2").arg(quoted(localPath), downloadFolder));

        // A part file of this same remote file continues; one of any other goes.
        PartialDownload partial(localPath, remoteFileIdentity(remotePath, size, remoteDates.value(p)),
                                std::uint64_t(std::max<std::int64_t>(size, 0)));
        std::uint64_t offset = partial.held();

        owner_.setStatus(tr("Transfering data...Please wait."));
        if (offset > 0) {
            // The server's digest, if any, is of the whole file: the held bytes are read for it.
            HeldPartReader held = partial.heldBytes();
            const SYSTEMTIME listed = listedDateOfStamp(remoteDates.value(p));
            remoteFileHandle = FtpOpenFileAtA(owner_.session.connectionHandle, remotePath, std::uint64_t(size),
                                              &listed, offset, held, FTP_TRANSFER_TYPE_BINARY, 0);
        } else {
            remoteFileHandle = FtpOpenFileA(owner_.session.connectionHandle, remotePath, GENERIC_READ,
                                            FTP_TRANSFER_TYPE_BINARY, 0);
        }
        if (remoteFileHandle == 0) {
            if (folderBatch)
                return false;
            userDialogs().message(this, tr("Can't open file path"));
            owner_.setStatus(tr("Can't open file path! Request canceled!"));
            throw StopBatch();
        }

        if (p + 1 < List1.size())
            InternetTransferFollows(remoteFileHandle, remotePathAt(p + 1), GENERIC_READ);

        QFile& localFile = partial.file();
        if (!partial.open(offset))
            throw StepFailure(tr("Can't create the local file %1: %2")
                                  .arg(quoted(localPath), partial.errorString()));

        std::uint32_t now = GetTickCount();
        readouts.startFile(now, size);
        readouts.resumeFile(std::int64_t(offset));
        const auto writeFailure = [&] {
            return StepFailure(tr("Can't write the local file %1: %2")
                                   .arg(quoted(localPath), partial.errorString()));
        };
        BlockCollector collector(localFile);
        // What arrived before a break is kept for the next try, unless the file proved damaged.
        const auto keepIfBrokeOff = [&] {
            if (InternetTransferBrokeOff() && collector.flush())
                partial.keep();
        };
        for (;;) {
            char* block = nullptr;
            if (!collector.makeRoom(block))
                throw writeFailure();
            std::uint32_t count = 0;
            if (display.hasUnpainted() && !InternetReadIsReady(remoteFileHandle, blockSize))
                display.beforeWait();
            const bool readOk = InternetReadFile(remoteFileHandle, block, blockSize, count);
            collector.keep(count);
            if (!readOk)
                keepIfBrokeOff();
            now = GetTickCount();
            // Bytes that arrived before a break still count in the read-outs.
            const bool timingChanged = readouts.advance(count, now);
            if (!readOk) {
                display.afterBlock(readouts, timingChanged, now, false);
                throw StepFailure(tr("The transfer of %1 failed: %2")
                                      .arg(quoted(displayPath(remotePath)), lastServerError()));
            }
            // Only a read of 0 bytes ends the file: a streamed read may come back short.
            const bool lastBlock = count == 0;
            display.afterBlock(readouts, timingChanged, now, lastBlock);
            if (lastBlock)
                break;
        }
        if (readouts.finishFile())
            display.afterBlock(readouts, false, now, true);
        if (!collector.flush())
            throw writeFailure();

        const HINTERNET handle = remoteFileHandle;
        remoteFileHandle = 0;
        if (!InternetCloseHandle(handle)) {
            keepIfBrokeOff();
            throw StepFailure(tr("The server did not confirm the transfer of %1: %2")
                                  .arg(quoted(displayPath(remotePath)), lastServerError()));
        }
        if (!partial.commit())
            throw writeFailure();
        owner_.setStatus(tr("OK"));
        return true;
    };

    for (qsizetype p = 0; p < List1.size(); ++p) {
        if (!folderBatch) {
            try {
                (void)transferOne(p);
            } catch (const StopBatch&) {
                return;
            }
            continue;
        }
        bool transferred = false;
        try {
            transferred = transferOne(p);
        } catch (const StepFailure& failure) {
            owner_.setStatus(QString::fromStdString(failure.what()));
        }
        if (!transferred) {
            closeLeftoverRemoteFile();
            ++notTransferred;
        }
    }

    if (notTransferred > 0) {
        const QString ending = tr("%1 of %2 files were not transferred.")
                                   .arg(QString::number(notTransferred), QString::number(List1.size()));
        userDialogs().message(this, ending);
        owner_.setStatus(ending);
        done(QDialog::Accepted);
        return;
    }
    userDialogs().message(this, tr("Data transfer completed."));
    done(QDialog::Accepted);
}
