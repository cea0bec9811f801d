#pragma once
// The Data Transfer dialog: shows one batch's progress while the download or
// upload engine moves it. The main window writes the batch into it, shows it
// modal and deletes it once it has closed.

#include "main_window/ftp_client.h"
#include "main_window/window_pointer.h"
#include "transfer/file_line_label.h"
#include "transfer/folder_walk.h"

#include <QByteArray>
#include <QCursor>
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class Form1;
class ProgressBar;
class QGroupBox;
class QLabel;
class QPushButton;

// The local folder of the last download batch, ending with "/".
extern QString downloadFolder;

// The identifier every report of the dialog starts with.
inline QString form2Procedure(const char* name) { return QStringLiteral("Form2.") + QLatin1String(name); }

class Form2 : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog and runs its Form_Load. `owner` is the main window whose
    // session and status line the engines use.
    explicit Form2(Form1& owner);
    ~Form2() override;

    // --- Read-outs ---
    QGroupBox* Frame2 = nullptr;
    QLabel* Label3 = nullptr;    // "Kb to transfer:"
    QLabel* lbCelkem = nullptr;
    QLabel* Label6 = nullptr;    // "Time elapsed:"
    QLabel* lbTime = nullptr;
    QLabel* Label4 = nullptr;    // "Bytes sent:" (set per direction)
    QLabel* lbFar = nullptr;
    QLabel* Label9 = nullptr;    // "Time remaining:"
    QLabel* lbTimeLeft = nullptr;
    QLabel* Label5 = nullptr;    // "Bytes to send:"
    QLabel* lbLeft = nullptr;
    QLabel* Label7 = nullptr;    // "Speed:" (set per direction)
    QLabel* lbSpeed = nullptr;

    // --- Current file and bars ---
    QGroupBox* Frame1 = nullptr;
    FileLineLabel* Label1 = nullptr;
    ProgressBar* ProgressBar1 = nullptr;
    QLabel* Label2 = nullptr;
    ProgressBar* ProgressBar2 = nullptr;

    QPushButton* PushButton1 = nullptr;  // start; its caption is the direction
    QPushButton* PushButton2 = nullptr;  // Cancel

    // --- The batch, written by the main window ---
    QStringList List1;                 // entries: local paths (upload) or remote names (download)
    QList<std::int64_t> List2;         // sizes in bytes, line for line with List1
    QList<QByteArray> remoteNames;     // download only: the listed name's bytes, "" = use List1
    QList<qint64> remoteDates;         // download only: the listed date (listedDateStamp), 0 = not known
    // Folder batches only (empty otherwise): each entry's folders on both
    // sides, line for line with List1, and the folders made before the first
    // file (an existing one is used). A file of such a batch that fails is
    // counted and the batch goes on.
    QList<BatchFolder> entryFolders;
    QList<BatchFolder> foldersToMake;
    std::int64_t batchTotal = 0;       // the sum of List2, shown in lbCelkem
    int mTotalCount = 0;

    HINTERNET remoteFileHandle = 0;    // the remote file an engine has open, 0 = none

    // --- Mouse pointer (0 default, 99 custom) ---
    int MousePointer() const { return pointer_.mode(); }
    void setMousePointer(int mode) { pointer_.setMode(mode); }
    const QCursor& customPointer() const { return pointer_.custom(); }

public slots:
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();

public:
    void Form_QueryUnload();
    void Download();  // throws on an unexpected failure; the start handler reports it
    void Upload();

    // Every close (engine, Cancel, title bar, Escape) comes through here.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildLayout();
    void closeLeftoverRemoteFile();
    void letFramesShowThroughLabels();
    Form1& owner_;
    WindowPointer pointer_{this};
};
