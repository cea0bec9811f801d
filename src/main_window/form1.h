#pragma once
// The main window: FTP settings, the local browser, the remote browser and the
// status line. Handlers carry the names of the events they answer.

#include "main_window/connection_state.h"
#include "main_window/window_pointer.h"

#include <QCursor>
#include <QHash>
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class DriveListBox;
class DirListBox;
class FileListBox;
class PasswordSetting;

// The identifier every report of this window starts with.
inline QString form1Procedure(const char* name) { return QStringLiteral("Form1.") + QLatin1String(name); }

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // --- FTP settings ---
    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtHostName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtPort = nullptr;
    QPushButton* PushButton3 = nullptr;  // Logon
    QPushButton* PushButton8 = nullptr;  // Logoff

    // --- Local files ---
    QGroupBox* Frame1 = nullptr;
    DriveListBox* drvLocalDrive = nullptr;
    DirListBox* dirLocalDir = nullptr;
    FileListBox* filLocalFile = nullptr;
    QPushButton* PushButton1 = nullptr;  // Upload Selected File

    // --- Remote files ---
    QGroupBox* Frame3 = nullptr;
    QTreeWidget* TView1 = nullptr;       // folder tree; node key in data(0, NodeKeyRole)
    QTreeWidget* ListView1 = nullptr;    // file list, report view with three columns
    QPushButton* PushButton6 = nullptr;  // New Folder
    QPushButton* PushButton7 = nullptr;  // Delete Folder
    QPushButton* PushButton5 = nullptr;  // Delete File
    QPushButton* PushButton9 = nullptr;  // Rename File
    QPushButton* PushButton4 = nullptr;  // Download File

    QLabel* lblStatus = nullptr;

    // --- Window-level values ---
    ConnectionState session;
    QString fileMask;
    QTreeWidgetItem* currentNode = nullptr;      // the window's current tree node
    QTreeWidgetItem* currentListItem = nullptr;  // the most recently added file row

    static constexpr int NodeKeyRole = Qt::UserRole;
    static constexpr int RemoteNameRole = Qt::UserRole + 1;  // raw listed name bytes (QByteArray)
    // The listed date to the second (listedDateStamp), 0 or none when unknown: tells a remote file's versions apart.
    static constexpr int RemoteDateRole = Qt::UserRole + 2;

    // --- Mouse pointer ---
    int MousePointer() const { return pointer_.mode(); }
    void setMousePointer(int mode) { pointer_.setMode(mode); }
    void setCustomPointer(const QCursor& cursor) { pointer_.setCustom(cursor); }
    const QCursor& customPointer() const { return pointer_.custom(); }

    // --- Tree helpers shared by listing, navigation and folder operations ---
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    // Adds a node; fails (StepFailure) when the key already exists.
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                             int image, int selectedImage);
    QTreeWidgetItem* selectedNode() const;
    QTreeWidgetItem* selectedListItem() const;  // the list's current item (SelectedItem)
    // The bytes the server listed for a file row, so a command on it sends exactly
    // what the server named; rows without them fall back to their text.
    static std::string remoteNameOf(const QTreeWidgetItem* item);
    void setStatus(const QString& text);

    // Lets pending events run without input: repaints and timers only.
    static void doEventsWithoutInput();

public slots:
    void Form_Load();
    void PushButton1_Click();  // Upload Selected File
    void PushButton3_Click();  // Logon
    void PushButton4_Click();  // Download File
    void PushButton5_Click();  // Delete File
    void PushButton6_Click();  // New Folder
    void PushButton7_Click();  // Delete Folder
    void PushButton8_Click();  // Logoff
    void PushButton9_Click();  // Rename File
    void TView1_NodeClick();
    void drvLocalDrive_Change();
    void dirLocalDir_Change();

public:
    void list();
    void ListView1_BeforeLabelEdit();
    // `cancel` is 0 to keep the typed text as the label, 1 to keep the old one.
    void ListView1_AfterLabelEdit(int& cancel, const QString& newText);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    void indexTreeRemovals();
    void setupRenameEditing();   // in-place editing of ListView1 (rename)
    void setupSettingsSaving();  // the four text boxes save on every change

    WindowPointer pointer_{this};
    PasswordSetting* passwordSetting_ = nullptr;    // txtPassword's stored value
    QHash<QString, QTreeWidgetItem*> nodesByKey_;  // every tree node by its key
};
