// A folder of small files through the main window, against the same files
// picked one by one, over FTP on 127.0.0.1 as "test" / "secret":
//   folder_bench upload   PORT LOCAL_FOLDER     (the folder, then its files selected)
//   folder_bench download PORT REMOTE_FOLDER LOCAL_FOLDER
// Each way runs the folder batch (walk included) and the batch of selected
// files into fresh targets and prints, per batch:
//   "<direction> <kind> <files> files <seconds> s <ms> ms/file"

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "transfer/folder_batch.h"
#include "transfer/form2.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

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

// Runs `start` (which opens the dialog), presses the dialog's start button
// as soon as it shows, and returns the seconds from `start` to its return.
double timed(Form1& window, const std::function<void()>& start)
{
    QTimer presser;
    presser.setInterval(0);
    QObject::connect(&presser, &QTimer::timeout, &window, [&] {
        if (auto* dialog = window.findChild<Form2*>(); dialog && dialog->isVisible()) {
            presser.stop();
            dialog->PushButton1->click();
        }
    });
    presser.start();
    const auto begin = std::chrono::steady_clock::now();
    start();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void report(const char* direction, const char* kind, int files, double seconds)
{
    std::printf("%s %s %d files %.3f s %.3f ms/file\n", direction, kind, files, seconds, seconds * 1000.0 / files);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: folder_bench upload PORT FOLDER | download PORT REMOTE_FOLDER LOCAL_FOLDER\n");
        return 2;
    }
    SilentDialogs dialogs;
    setUserDialogs(&dialogs);
    Form1 window;
    InternetSetDefaultTimeout(std::chrono::milliseconds(10000));
    window.txtHostName->setText(QStringLiteral("127.0.0.1"));
    window.txtPort->setText(args.at(2));
    window.txtUserName->setText(QStringLiteral("test"));
    window.txtPassword->setText(QStringLiteral("secret"));
    window.PushButton3_Click();
    if (!window.session.isConnected()) {
        std::fprintf(stderr, "logon failed\n");
        return 1;
    }
    const auto nodeClick = [&](const QString& key) {
        QTreeWidgetItem* node = window.nodeByKey(key);
        window.TView1->setCurrentItem(node);
        window.TView1_NodeClick();
        return node;
    };
    const QString completed = QStringLiteral("Data transfer completed.");
    if (args.at(1) == QLatin1String("upload")) {
        const QString folder = args.at(3);
        const int files = int(QDir(folder).entryList(QDir::Files).size());
        const double asFolder = timed(window, [&] { uploadLocalPaths(window, {folder}); });
        report("upload", "folder", files, asFolder);
        // The same files selected, into a folder of another name.
        (void)FtpCreateDirectoryA(window.session.connectionHandle, "/selected");
        nodeClick(QStringLiteral("/"));
        nodeClick(QStringLiteral("/selected/"));
        window.dirLocalDir->setPath(folder);
        window.filLocalFile->selectAll();
        const double asFiles = timed(window, [&] { window.PushButton1_Click(); });
        report("upload", "selected", files, asFiles);
    } else {
        const QString remote = args.at(3);
        const QString local = args.at(4);
        QDir().mkpath(local + QStringLiteral("/folder"));
        QDir().mkpath(local + QStringLiteral("/selected"));
        nodeClick(QStringLiteral("/"));
        window.dirLocalDir->setPath(local + QStringLiteral("/folder"));
        QTreeWidgetItem* node = window.nodeByKey(QLatin1Char('/') + remote + QLatin1Char('/'));
        if (!node) {
            std::fprintf(stderr, "no remote folder %s\n", qPrintable(remote));
            return 1;
        }
        const double asFolder = timed(window, [&] { downloadRemoteItems(window, {remoteFolderItem(node)}); });
        nodeClick(QLatin1Char('/') + remote + QLatin1Char('/'));
        const int files = window.ListView1->topLevelItemCount();
        report("download", "folder", files, asFolder);
        window.dirLocalDir->setPath(local + QStringLiteral("/selected"));
        window.ListView1->selectAll();
        const double asFiles = timed(window, [&] { window.PushButton4_Click(); });
        report("download", "selected", files, asFiles);
    }
    for (const QString& message : dialogs.messages) {
        if (message != completed) {
            std::fprintf(stderr, "transfer failed: %s\n", qPrintable(dialogs.messages.join(" | ")));
            return 1;
        }
    }
    setUserDialogs(nullptr);
    return 0;
}
