// Moves one file through Form2 and its engines (1024-byte blocks, read-outs
// and all) against a server on 127.0.0.1, and prints the rate and the peak
// memory of the process:
//   transfer_bench download PORT REMOTE_NAME LOCAL_FOLDER SIZE [REMOTE_NAME SIZE]...
//   transfer_bench upload   PORT LOCAL_FILE [LOCAL_FILE]...
// More than one file goes as one batch, as a selection of files does.
// Over SFTP when BENCH_SSH_FOLDER names a stand-in for ~/.ssh (its key logs
// on as BENCH_USER, its known_hosts vouches for the server); else FTP as
// "test" with password "secret". BENCH_HOST replaces 127.0.0.1 ("[::1]"),
// BENCH_REMOTE_FOLDER the folder the logon starts in.
// Output: "<direction> <bytes> bytes <seconds> s <MiB/s> MiB/s maxrss <KiB> KiB"

#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "transfer/form2.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

namespace {

// Boxes are counted, never shown.
class SilentDialogs final : public UserDialogs {
public:
    QStringList messages;
    void message(QWidget*, const QString& text) override { messages << text; }
    bool confirm(QWidget*, const QString&) override { return true; }
    bool confirmRisk(QWidget*, const QString&, bool) override { return false; }
    QString inputBox(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> answerBox(QWidget*, const QString&, const QString&, bool) override { return {}; }
    void errorReport(QWidget*, const QString& text) override { messages << text; }
};

long maxRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: transfer_bench download PORT NAME FOLDER SIZE | upload PORT FILE\n");
        return 2;
    }
    const bool download = args.at(1) == QLatin1String("download");
    const auto port = std::uint16_t(args.at(2).toUInt());

    SilentDialogs dialogs;
    setUserDialogs(&dialogs);
    Form1 window;
    window.session.sessionHandle = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "",
                                                 INTERNET_FLAG_NO_CACHE_WRITE);
    const QByteArray sshFolder = qgetenv("BENCH_SSH_FOLDER");
    const std::string host = qEnvironmentVariable("BENCH_HOST", QStringLiteral("127.0.0.1")).toStdString();
    InternetSetSshFolder(sshFolder.toStdString());
    window.session.connectionHandle =
        InternetConnectA(window.session.sessionHandle, (sshFolder.isEmpty() ? "" : "sftp://") + host, port,
                         sshFolder.isEmpty() ? "test" : qgetenv("BENCH_USER").toStdString(), "secret",
                         INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    std::string startFolder;
    if (!window.session.isConnected() || !FtpGetCurrentDirectoryA(window.session.connectionHandle, startFolder)) {
        std::fprintf(stderr, "logon failed: %s\n", InternetGetLastErrorText().c_str());
        return 1;
    }
    window.session.currentPath = qEnvironmentVariable("BENCH_REMOTE_FOLDER", QString::fromStdString(startFolder));
    if (!window.session.currentPath.endsWith(QLatin1Char('/')))
        window.session.currentPath += QLatin1Char('/');

    auto* dialog = new Form2(window);
    std::int64_t size = 0;
    if (download) {
        if (args.size() < 6)
            return 2;
        downloadFolder = args.at(4) + QLatin1Char('/');
        dialog->PushButton1->setText(QStringLiteral("Download"));
        // The sizes the listing would have shown.
        dialog->List1 << args.at(3);
        dialog->List2 << args.at(5).toLongLong();
        for (qsizetype at = 6; at + 1 < args.size(); at += 2) {
            dialog->List1 << args.at(at);
            dialog->List2 << args.at(at + 1).toLongLong();
        }
        for (const std::int64_t one : dialog->List2)
            size += one;
    } else {
        dialog->PushButton1->setText(QStringLiteral("Upload"));
        for (qsizetype at = 3; at < args.size(); ++at) {
            const std::int64_t one = QFileInfo(args.at(at)).size();
            dialog->List1 << args.at(at);
            dialog->List2 << one;
            size += one;
        }
    }
    dialog->batchTotal = size;
    dialog->mTotalCount = int(dialog->List1.size());
    dialog->show();
    QApplication::processEvents();

    const auto start = std::chrono::steady_clock::now();
    dialog->PushButton1_Click();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    delete dialog;

    if (dialogs.messages != QStringList{QStringLiteral("Data transfer completed.")}) {
        std::fprintf(stderr, "transfer failed: %s\n", qPrintable(dialogs.messages.join(" | ")));
        return 1;
    }
    std::printf("%s %lld bytes %.3f s %.1f MiB/s maxrss %ld KiB\n", download ? "download" : "upload",
                static_cast<long long>(size), seconds, double(size) / (1024.0 * 1024.0) / seconds,
                maxRssKiB());
    (void)InternetCloseHandle(window.session.connectionHandle);
    (void)InternetCloseHandle(window.session.sessionHandle);
    setUserDialogs(nullptr);
    return 0;
}
