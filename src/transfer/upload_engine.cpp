// Upload: sends each entry of the batch (a full local path) into the current
// remote folder, in 1024-byte blocks, with the read-outs kept current.

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

#include <algorithm>
#include <array>

namespace {

constexpr std::int64_t blockSize = 1024;

const QString createRefused = QStringLiteral("Can't create requested file on server");
const QString createRefusedStatus =
    QStringLiteral("Can't create requested file on server! request canceled!");

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

} // namespace

void Form2::Upload()
{
    StepRunner steps(this, form2Procedure("Upload"));
    closeLeftoverRemoteFile();

    TransferReadouts readouts;
    // 102 to 106: speed, moved bytes and carried time start at 0 with the state.
    steps.step(100, [&] { readouts = TransferReadouts(batchTotal); });
    ReadoutDisplay display(*this);
    steps.step(110, [&] { ProgressBar2->setValue(std::int64_t(0)); });
    steps.step(112, [&] { ProgressBar2->setMin(0); });
    steps.step(114, [&] { ProgressBar2->setMax(readouts.total()); });
    steps.step(116, [&] { display.showTotal(readouts); });  // 116 to 122
    steps.step(124, [&] { PushButton2->setEnabled(true); });

    std::array<char, blockSize> block{};
    for (qsizetype p = 0; p < List1.size(); ++p) {  // 126
        std::int64_t size = 0;
        steps.step(128, [&] { size = List2.value(p); });
        steps.step(132, [&] { ProgressBar1->setValue(std::int64_t(0)); });
        steps.step(134, [&] { ProgressBar1->setMin(0); });
        steps.step(136, [&] { ProgressBar1->setMax(size); });
        steps.step(138, [&] {
            Label1->setText(QStringLiteral("Uploading file: ") + List1.at(p) + QStringLiteral(" / ")
                            + QString::number(size) + QStringLiteral(" byte."));
        });
        steps.step(140, [&] { Label1->repaint(); });
        steps.step(142, [&] {
            Label2->setText(QStringLiteral("File:       ") + QString::number(p + 1)
                            + QStringLiteral(" / ") + QString::number(mTotalCount));
        });
        steps.step(144, [&] { Label2->repaint(); });

        QString localPath;
        QString remoteName;
        std::string remotePath;
        steps.step(146, [&] { localPath = List1.at(p); });
        steps.step(148, [&] { remoteName = uploadRemoteName(localPath); });
        steps.step(150, [&] { remotePath = toRemote(owner_.session.currentPath + remoteName); });
        steps.step(152, [&] { owner_.setStatus(QStringLiteral("Uploading data...Please wait.")); });

        // The local file is opened before anything is created on the server, so
        // an entry that cannot be read leaves the server untouched.
        QFile localFile(localPath);
        bool opened = false;
        steps.step(168, [&] {
            if (!localFile.open(QIODevice::ReadOnly))
                throw StepFailure(QStringLiteral("Can't open the local file %1: %2")
                                      .arg(quoted(localPath), localFile.errorString()));
            opened = true;
        });
        if (!opened)
            continue;
        std::int64_t length = 0;
        steps.step(170, [&] { length = localFile.size(); });

        bool created = false;
        steps.step(154, [&] {
            remoteFileHandle = FtpOpenFileA(owner_.session.connectionHandle, remotePath,
                                            GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
            created = remoteFileHandle != 0;
        });
        if (!created) {  // 156
            steps.step(158, [&] { userDialogs().message(this, createRefused); });
            steps.step(160, [&] { owner_.setStatus(createRefusedStatus); });
            return;
        }

        std::int64_t position = 0;
        steps.step(166, [&] { readouts.startFile(GetTickCount()); });  // 162 to 166
        bool abandoned = false;
        do {
            bool readWhole = false;
            steps.step(172, [&] {
                // Every block but the last is full; a shorter read means the file
                // changed since it was opened, and nothing else may be sent.
                const std::int64_t expected = std::min(blockSize, length - position);
                const qint64 got = localFile.read(block.data(), blockSize);
                if (got < expected)
                    throw StepFailure(QStringLiteral("Can't read the local file %1: %2")
                                          .arg(quoted(localPath),
                                               got < 0 ? localFile.errorString()
                                                       : QStringLiteral("it is shorter than when it was opened")));
                readWhole = true;
            });
            if (!readWhole) {
                abandoned = true;
                break;
            }
            // 174: every block before the last carries 1024 bytes.
            const bool fullBlock = position < length - blockSize;
            const std::int64_t toSend = fullBlock ? blockSize : length - position;
            std::uint32_t written = 0;
            if (!InternetWriteFile(remoteFileHandle, block.data(), std::uint32_t(toSend), written)) {
                const int label = fullBlock ? 178 : 190;
                steps.step(label, [&] { userDialogs().message(this, createRefused); });
                steps.step(label + 2, [&] { owner_.setStatus(createRefusedStatus); });
                abandoned = true;
                break;
            }
            const bool firstBlock = position == 0;
            position += toSend;
            const std::uint32_t now = GetTickCount();
            bool timingChanged = false;
            steps.step(fullBlock ? 182 : 194, [&] { timingChanged = readouts.advance(toSend, now); });
            steps.step(200, [&] { display.afterBlock(readouts, timingChanged, now, firstBlock || position >= length); });
        } while (position < length);  // 232

        steps.step(234, [&] { localFile.close(); });
        steps.step(236, [&] { readouts.finishFile(); });
        bool confirmed = false;
        steps.step(238, [&] {
            const HINTERNET handle = remoteFileHandle;
            remoteFileHandle = 0;
            confirmed = InternetCloseHandle(handle);
        });
        // The server's final answer refusing the file is a refused write too.
        if (!confirmed && !abandoned) {
            steps.step(238, [&] { userDialogs().message(this, createRefused); });
            steps.step(238, [&] { owner_.setStatus(createRefusedStatus); });
        }
        steps.step(240, [&] { owner_.setStatus(QStringLiteral("OK")); });
    }

    steps.step(244, [&] { userDialogs().message(this, QStringLiteral("Data transfer completed.")); });
    steps.step(246, [&] { owner_.setStatus(QStringLiteral("Data transfer completed.")); });
    steps.step(248, [&] { done(QDialog::Accepted); });
}
