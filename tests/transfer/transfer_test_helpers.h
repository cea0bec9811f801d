#pragma once
// Shared steps of the transfer tests: pressing a batch button while the modal
// Data Transfer dialog is answered from inside its own event loop.

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"
#include "support/window_helpers.h"
#include "transfer/form2.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct DialogRun {
    bool shown = false;        // the dialog was found while its event loop ran
    bool leftOpen = false;     // `whileShown` returned with the dialog still open
};

// Calls `pressButton` (a batch button, which blocks in the dialog's exec()),
// runs `whileShown` on the dialog once it is showing, and closes the dialog
// itself should `whileShown` leave it open, so a failing test cannot hang.
inline DialogRun runDialog(Form1& window, const std::function<void()>& pressButton,
                           const std::function<void(Form2&)>& whileShown)
{
    auto run = std::make_shared<DialogRun>();
    QTimer::singleShot(0, &window, [&window, run, whileShown] {
        auto* dialog = window.findChild<Form2*>();
        if (!dialog || !dialog->isVisible())
            return;
        run->shown = true;
        whileShown(*dialog);
        if (dialog->isVisible()) {
            run->leftOpen = true;
            dialog->reject();
        }
    });
    pressButton();
    return *run;
}

// Calls `start`, which opens the dialog after a walk that lets events run
// (a folder batch), presses the dialog's start button once it shows, and
// returns once `start` has.
inline void runWalkedDialog(Form1& window, const std::function<void()>& start)
{
    bool pressed = false;
    QTimer presser;
    presser.setInterval(5);
    QObject::connect(&presser, &QTimer::timeout, &window, [&] {
        auto* dialog = window.findChild<Form2*>();
        if (dialog && dialog->isVisible() && !pressed) {
            pressed = true;
            dialog->PushButton1->click();
        }
    });
    presser.start();
    start();
}

// Presses the dialog's start button and leaves the rest to the test.
inline void pressStart(Form2& dialog) { dialog.PushButton1->click(); }
inline void pressCancel(Form2& dialog) { dialog.PushButton2->click(); }

// Selects the rows of ListView1 whose names are listed; clears the others.
inline void selectRemote(Form1& window, const QStringList& names)
{
    for (int row = 0; row < window.ListView1->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = window.ListView1->topLevelItem(row);
        item->setSelected(names.contains(item->text(0)));
    }
}

// Shows `folder` in the local lists and selects the named files there.
inline void selectLocal(Form1& window, const QString& folder, const QStringList& names)
{
    window.dirLocalDir->setPath(folder);
    window.filLocalFile->setPath(folder);
    for (int i = 0; i < window.filLocalFile->ListCount(); ++i)
        window.filLocalFile->setSelected(i, names.contains(window.filLocalFile->List(i)));
}

// Adds a row to ListView1 as the listing would, for names a server may send.
inline QTreeWidgetItem* addRemoteRow(Form1& window, const QString& text, const QString& sizeText,
                                     const QByteArray& rawName = {})
{
    auto* row = new QTreeWidgetItem;
    row->setText(0, text);
    row->setText(2, sizeText);
    row->setData(0, Form1::RemoteNameRole, rawName.isEmpty() ? text.toUtf8() : rawName);
    window.ListView1->addTopLevelItem(row);
    row->setSelected(true);
    return row;
}

inline QByteArray readLocal(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeLocal(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

inline QByteArray pattern(std::size_t size)
{
    const std::string bytes = patternBytes(size);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// Every name in a folder, hidden ones included: catches stray temporary files.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The server's log lines that begin with `command`, e.g. "RETR".
inline QStringList commandsSent(const TestFtpServer& server, const QString& command)
{
    QStringList lines;
    for (const std::string& line : commandsStartingWith(server, (command + QLatin1Char(' ')).toStdString()))
        lines << QString::fromStdString(line);
    return lines;
}

// A file the test server serves: its path under the root and its size in
// pattern bytes.
struct ServedFile {
    std::string path;
    std::size_t size = 0;
};

// What nearly every transfer test starts from: the test server with its fault
// switches and files, the box recorder, a window logged on to the server and
// an empty local folder shown in the local lists.
struct TransferSetup {
    explicit TransferSetup(const std::vector<ServedFile>& files = {}, std::vector<std::string> options = {})
        : server(std::move(options))
    {
        for (const ServedFile& file : files)
            server.writePatternFile(file.path, file.size);
        logOn(window, server);
        window.dirLocalDir->setPath(local.path());
    }

    DialogRun pressDownload(const std::function<void(Form2&)>& whileShown)
    {
        return runDialog(window, [this] { window.PushButton4_Click(); }, whileShown);
    }
    DialogRun pressUpload(const std::function<void(Form2&)>& whileShown)
    {
        return runDialog(window, [this] { window.PushButton1_Click(); }, whileShown);
    }
    // Selects the named rows of the remote list and presses "Download File".
    DialogRun download(const QStringList& names, const std::function<void(Form2&)>& whileShown)
    {
        selectRemote(window, names);
        return pressDownload(whileShown);
    }

    QString localPath(const QString& name) const { return local.filePath(name); }

    TestFtpServer server;
    RecordingDialogs dialogs;
    Form1 window;
    QTemporaryDir local;
};
