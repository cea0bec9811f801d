#include "main_window/form1.h"

#include "app/palette.h"
#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"
#include "local/hidden_files.h"
#include "main_window/accessible_names.h"
#include "main_window/error_report.h"
#include "main_window/keyboard_actions.h"
#include "main_window/kept_servers.h"
#include "remote/drag_drop.h"
#include "transfer/folder_batch.h"
#include "main_window/password_setting.h"
#include "main_window/status_line.h"
#include "main_window/twips_layout.h"
#include "remote/file_type_icons.h"
#include "remote/file_list_header.h"
#include "remote/folder_tree.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int width, int height)
{
    auto* label = makeAt<QLabel>(parent, name, left, top, width, height);
    label->setText(caption);
    return label;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, int left, int top,
                     int width, int height)
{
    auto* frame = makeAt<QGroupBox>(parent, name, left, top, width, height);
    frame->setTitle(caption);
    return frame;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    // Asked before any control exists: waiting for the keyring lets pending
    // events run, and none may reach a window that is half built.
    passwordSetting_ = new PasswordSetting(this);
    setObjectName(QStringLiteral("Form1"));
    buildLayout();
    connectHandlers();
    indexTreeRemovals();
    setupRenameEditing();
    setupSettingsSaving();
    setupHiddenFilesToggle(*this);
    new KeptServers(*this);
    setupFolderTransfers(*this);
    setupDragAndDrop(*this);
    nameMainWindowControls(*this);
    installMainWindowKeys(*this);
    Form_Load();
}

Form1::~Form1()
{
    // The last typed password is written while the window is still whole.
    passwordSetting_->flush();
    // The tree outlives this object's members while QWidget deletes its children.
    TView1->model()->disconnect(this);
}

void Form1::buildLayout()
{
    setWindowTitle(QStringLiteral("Corvell"));
    setFixedSize(px(8040), px(10140));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSizeF(9);
    setFont(font);
    // The designed look is white throughout; the skin step may change it.
    setAutoFillBackground(true);
    setPalette(whiteSurfacePalette(QApplication::palette()));

    Frame2 = makeFrame(this, "Frame2", tr("FTP settings"), 120, 90, 7800, 2235);
    Label1 = makeLabel(Frame2, "Label1", tr("&Host name:"), 240, 345, 975, 255);
    txtHostName = makeAt<QLineEdit>(Frame2, "txtHostName", 1440, 300, 4290, 345);
    Label2 = makeLabel(Frame2, "Label2", tr("&User name:"), 240, 795, 975, 255);
    txtUserName = makeAt<QLineEdit>(Frame2, "txtUserName", 1440, 750, 6105, 345);
    Label3 = makeLabel(Frame2, "Label3", tr("&Password:"), 240, 1245, 975, 255);
    txtPassword = makeAt<QLineEdit>(Frame2, "txtPassword", 1440, 1200, 6105, 345);
    txtPassword->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", as the classic password box does.
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    keepColoursUnderStyleSheet(txtPassword);
    Label6 = makeLabel(Frame2, "Label6", tr("P&ort:"), 6000, 345, 615, 255);
    txtPort = makeAt<QLineEdit>(Frame2, "txtPort", 6600, 300, 950, 345);
    txtPort->setText(QStringLiteral("21"));
    PushButton3 = makeButtonAt(Frame2, "PushButton3", tr("&Logon"), 1440, 1650, 2980, 405);
    PushButton8 = makeButtonAt(Frame2, "PushButton8", tr("Lo&goff"), 4540, 1650, 2980, 405);

    Frame1 = makeFrame(this, "Frame1", tr("Local Files"), 120, 2385, 7800, 3120);
    drvLocalDrive = makeAt<DriveListBox>(Frame1, "drvLocalDrive", 255, 300, 3000, 345);
    drvLocalDrive->setToolTip(tr("Local Drive List"));
    dirLocalDir = makeAt<DirListBox>(Frame1, "dirLocalDir", 240, 810, 3000, 2130);
    dirLocalDir->setToolTip(tr("Local Directory"));
    filLocalFile = makeAt<FileListBox>(Frame1, "filLocalFile", 3450, 300, 4095, 2115);
    filLocalFile->setToolTip(tr("Local Files"));
    PushButton1 = makeButtonAt(Frame1, "PushButton1", tr("Upload &Selected File"), 3450,
                             2535, 4110, 405);

    Frame3 = makeFrame(this, "Frame3", tr("Remote Files"), 120, 5565, 7800, 4095);
    Frame3->setEnabled(false);
    TView1 = makeAt<FolderTree>(Frame3, "TView1", 240, 300, 3045, 2070);
    TView1->setHeaderHidden(true);
    TView1->setColumnCount(1);
    TView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1 = makeAt<QTreeWidget>(Frame3, "ListView1", 3405, 315, 4125, 2070);
    ListView1->setHeader(new FileListHeader(ListView1));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setUniformRowHeights(true);
    ListView1->setColumnCount(0);
    ListView1->setIconSize(QSize(16, 16));
    PushButton6 = makeButtonAt(Frame3, "PushButton6", tr("&New Folder"), 255, 2490, 3570, 405);
    PushButton7 = makeButtonAt(Frame3, "PushButton7", tr("&Delete Folder"), 3960, 2490, 3570, 405);
    PushButton5 = makeButtonAt(Frame3, "PushButton5", tr("Delete F&ile"), 255, 3000, 3570, 405);
    PushButton9 = makeButtonAt(Frame3, "PushButton9", tr("&Rename File"), 3960, 3000, 3570, 405);
    PushButton4 = makeButtonAt(Frame3, "PushButton4", tr("Do&wnload File"), 240, 3510, 7290, 405);

    lblStatus = makeAt<StatusLine>(this, "lblStatus", 120, 9780, 7800, 255);
    lblStatus->setText(tr("Disconnected"));

    for (QWidget* box : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                         static_cast<QWidget*>(Frame3)})
        box->setAutoFillBackground(false);

    QWidget::setTabOrder(txtHostName, txtUserName);
    QWidget::setTabOrder(txtUserName, txtPassword);
    QWidget::setTabOrder(txtPassword, txtPort);
    QWidget::setTabOrder(txtPort, filLocalFile);
    QWidget::setTabOrder(filLocalFile, dirLocalDir);
    QWidget::setTabOrder(dirLocalDir, drvLocalDrive);
    QWidget::setTabOrder(drvLocalDrive, TView1);
    QWidget::setTabOrder(TView1, ListView1);
    QWidget::setTabOrder(ListView1, PushButton3);
    QWidget::setTabOrder(PushButton3, PushButton8);
    QWidget::setTabOrder(PushButton8, PushButton1);
    QWidget::setTabOrder(PushButton1, PushButton6);
    QWidget::setTabOrder(PushButton6, PushButton7);
    QWidget::setTabOrder(PushButton7, PushButton5);
    QWidget::setTabOrder(PushButton5, PushButton9);
    QWidget::setTabOrder(PushButton9, PushButton4);

    // Pointer hover: buttons show the custom pointer; the window, its frames and
    // the file list show the default one.
    setMouseTracking(true);
    for (QWidget* watched : std::initializer_list<QWidget*>{
             PushButton1, PushButton3, PushButton4, PushButton5, PushButton6, PushButton7,
             PushButton8, PushButton9, Frame1, Frame2, Frame3, ListView1->viewport(), this}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
}

void Form1::connectHandlers()
{
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(TView1, &QTreeWidget::itemClicked, this, [this] { TView1_NodeClick(); });
    connect(static_cast<FolderTree*>(TView1), &FolderTree::nodeChosenByKeyboard, this,
            [this] { TView1_NodeClick(); });
    connect(drvLocalDrive, &DriveListBox::Change, this, &Form1::drvLocalDrive_Change);
    connect(dirLocalDir, &DirListBox::Change, this, &Form1::dirLocalDir_Change);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter)
        pointer_.hover(static_cast<QWidget*>(watched));
    else if (event->type() == QEvent::MouseMove)
        pointer_.hover(static_cast<QWidget*>(watched),
                       static_cast<QMouseEvent*>(event)->position().toPoint());
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program at once: no logoff, no question,
    // and no command to the server; its sockets just close.
    InternetAbandonHandle(session.sessionHandle);
    session.connectionHandle = session.sessionHandle = 0;
    event->accept();
    passwordSetting_->flush();
    QApplication::quit();
}

QTreeWidgetItem* Form1::nodeByKey(const QString& key) const { return nodesByKey_.value(key); }

// Keeps the key index in step with the tree however nodes leave it, so a
// folder with thousands of sub-folders is listed without walking the tree per node.
void Form1::indexTreeRemovals()
{
    QAbstractItemModel* model = TView1->model();
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { nodesByKey_.clear(); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, model](const QModelIndex& parent, int first, int last) {
                QList<QModelIndex> pending;
                for (int row = first; row <= last; ++row)
                    pending << model->index(row, 0, parent);
                while (!pending.isEmpty()) {
                    const QModelIndex index = pending.takeLast();
                    nodesByKey_.remove(index.data(NodeKeyRole).toString());
                    for (int row = 0; row < model->rowCount(index); ++row)
                        pending << model->index(row, 0, index);
                }
            });
}

QTreeWidgetItem* Form1::selectedNode() const
{
    const QList<QTreeWidgetItem*> selected = TView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* Form1::selectedListItem() const { return ListView1->currentItem(); }

std::string Form1::remoteNameOf(const QTreeWidgetItem* item)
{
    const QVariant raw = item->data(0, RemoteNameRole);
    if (raw.isValid() && raw.canConvert<QByteArray>()) {
        const QByteArray bytes = raw.toByteArray();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    }
    return toRemote(item->text(0));
}

void Form1::setStatus(const QString& text) { lblStatus->setText(text); }

void Form1::doEventsWithoutInput()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QTreeWidgetItem* Form1::addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                                int image, int selectedImage)
{
    if (nodeByKey(key))
        throw StepFailure(tr("Key is not unique in collection: %1").arg(key));
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TView1);
    node->setText(0, text);
    node->setData(0, NodeKeyRole, key);
    node->setIcon(0, treeNodeIcon(image, selectedImage));
    nodesByKey_.insert(key, node);
    return node;
}
