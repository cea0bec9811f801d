// Download: fetches each entry of the batch from the current remote folder
// into downloadFolder, in 1024-byte blocks, with the read-outs kept current.
//
// Each file is written to an unnamed temporary file beside its target, which
// replaces the target only after the last block and the server's confirmation.
// A run that fails therefore leaves no partial file, and a local file of the
// same name stays as it was.

#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/tick_clock.h"
#include "main_window/user_dialogs.h"
#include "transfer/form2.h"
#include "transfer/progress_bar.h"
#include "transfer/readout_display.h"
#include "transfer/transfer_paths.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>

#include <array>

namespace {

constexpr std::uint32_t blockSize = 1024;

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

QString lastServerError() { return fromRemote(InternetGetLastErrorText()); }

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

    std::array<char, blockSize> block{};
    for (qsizetype p = 0; p < List1.size(); ++p) {
        const QString entry = List1.at(p);
        const std::int64_t size = List2.value(p);

        ProgressBar1->setValue(std::int64_t(0));
        ProgressBar1->setMin(0);
        ProgressBar1->setMax(size);
        Label1->setText(QStringLiteral("Downloading File: ") + entry + QStringLiteral(" / ")
                        + QString::number(size) + QStringLiteral(" bytù."));
        Label1->repaint();
        Label2->setText(QStringLiteral("File:       ") + QString::number(p + 1) + QStringLiteral(" / ")
                        + QString::number(mTotalCount));
        Label2->repaint();

        // The listed name is the server's; it must name a file inside the
        // download folder and nothing else.
        const QByteArray listedName = remoteNames.value(p).isEmpty() ? entry.toUtf8() : remoteNames.value(p);
        if (!isPlainLocalName(listedName) || !isPlainLocalName(QFile::encodeName(entry)))
            throw StepFailure(QStringLiteral("The remote name %1 is not a file name allowed in the folder %2")
                                  .arg(quoted(entry), downloadFolder));
        const std::string remotePath = toRemote(owner_.session.currentPath) + listedName.toStdString();
        const QString localPath = downloadFolder + entry;

        owner_.setStatus(QStringLiteral("Transfering data...Please wait."));
        remoteFileHandle = FtpOpenFileA(owner_.session.connectionHandle, remotePath, GENERIC_READ,
                                        FTP_TRANSFER_TYPE_BINARY, 0);
        if (remoteFileHandle == 0) {
            userDialogs().message(this, QStringLiteral("Can't open file path"));
            owner_.setStatus(QStringLiteral("Can't open file path! Request canceled!"));
            return;
        }

        QSaveFile localFile(localPath);
        if (!localFile.open(QIODevice::WriteOnly))
            throw StepFailure(QStringLiteral("Can't create the local file %1: %2")
                                  .arg(quoted(localPath), localFile.errorString()));

        std::uint32_t now = GetTickCount();
        readouts.startFile(now);
        bool firstBlock = true;
        for (;;) {
            std::uint32_t count = 0;
            if (!InternetReadFile(remoteFileHandle, block.data(), blockSize, count))
                throw StepFailure(QStringLiteral("The transfer of %1 failed: %2")
                                      .arg(quoted(fromRemote(remotePath)), lastServerError()));
            if (count > 0 && localFile.write(block.data(), count) != qint64(count))
                throw StepFailure(QStringLiteral("Can't write the local file %1: %2")
                                      .arg(quoted(localPath), localFile.errorString()));
            now = GetTickCount();
            const bool timingChanged = readouts.advance(count, now);
            // Only a read of 0 bytes ends the file: a streamed read may come back short.
            const bool lastBlock = count == 0;
            display.afterBlock(readouts, timingChanged, now, firstBlock || lastBlock);
            firstBlock = false;
            if (lastBlock)
                break;
        }
        readouts.finishFile();

        const HINTERNET handle = remoteFileHandle;
        remoteFileHandle = 0;
        if (!InternetCloseHandle(handle))
            throw StepFailure(QStringLiteral("The server did not confirm the transfer of %1: %2")
                                  .arg(quoted(fromRemote(remotePath)), lastServerError()));
        if (!localFile.commit())
            throw StepFailure(QStringLiteral("Can't write the local file %1: %2")
                                  .arg(quoted(localPath), localFile.errorString()));
        owner_.setStatus(QStringLiteral("OK"));
    }

    userDialogs().message(this, QStringLiteral("Data transfer completed."));
    done(QDialog::Accepted);
}
