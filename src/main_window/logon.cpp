#include "main_window/connection_security.h"
#include "main_window/engine_messages.h"
#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/ftp_client.h"
#include "main_window/kept_servers.h"
#include "main_window/pasted_address.h"
#include "main_window/remote_names.h"
#include "main_window/user_dialogs.h"
#include "remote/file_type_icons.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// The server's starting folder as an absolute path ending with "/", or "/"
// when the server gave none we can build paths from (nothing, or a name that
// is not absolute such as "C:\data"). Doubled slashes are collapsed so the
// path matches the tree keys built from its parts.
QStringList startFolderParts(const QString& directory)
{
    if (!directory.startsWith(QLatin1Char('/')))
        return {};
    return directory.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString pathOf(const QStringList& parts)
{
    return parts.isEmpty() ? QStringLiteral("/")
                           : QLatin1Char('/') + parts.join(QLatin1Char('/')) + QLatin1Char('/');
}

} // namespace

// Logon
void Form1::PushButton3_Click()
{
    StepRunner steps(this, form1Procedure("PushButton3_Click"));

    QString folderAsked;
    steps.step(100, [&] {
        folderAsked = takePastedAddress(txtHostName, txtUserName, txtPort);
        session.hostName = txtHostName->text();
    });
    steps.step(102, [&] { session.userName = txtUserName->text(); });
    steps.step(104, [&] { session.password = txtPassword->text(); });
    // The whole unsigned 16-bit range is a port; a bad text keeps the previous one.
    steps.step(106, [&] { session.port = std::uint16_t(toWholeNumber(txtPort->text(), 0, 65535)); });
    steps.step(108, [&] { session.currentPath.clear(); });

    std::uint32_t connectFlags = 0;
    steps.step(112, [&] { connectFlags = INTERNET_FLAG_PASSIVE; });
    steps.step(114, [&] {
        session.sessionHandle = InternetOpenA("corvell", INTERNET_OPEN_TYPE_DIRECT, "", "",
                                              INTERNET_FLAG_NO_CACHE_WRITE);
    });

    bool sessionOpen = true;
    steps.step(116, [&] { sessionOpen = session.sessionHandle != 0; });
    if (!sessionOpen) {
        steps.step(154, [&] { setStatus(tr("Connection to service failed.")); });
        steps.step(156, [&] { userDialogs().message(this, tr("Connection to service failed")); });
        return;
    }

    steps.step(118, [&] {
        installConnectionQuestions(this);
        session.endpoint = engine_choice::parseEndpoint(toRemote(session.hostName), session.port);
        session.connectionHandle =
            InternetConnectA(session.sessionHandle, session.endpoint, toRemote(session.userName),
                             toRemote(session.password), INTERNET_SERVICE_FTP, connectFlags, 0);
    });

    bool connected = true;
    steps.step(120, [&] { connected = session.connectionHandle != 0; });
    if (!connected) {
        steps.step(122, [&] { userDialogs().message(this, tr("Could not connect.")); });
        steps.step(124, [&] {
            setStatus(tr("Could not connect."));
            // Why, for whoever points at it: a refused password, a refused
            // certificate, encryption the server would not give.
            lblStatus->setToolTip(engineMessage(fromRemote(InternetGetLastErrorText())));
        });
        steps.step(126, [&] {
            (void)InternetCloseHandle(session.sessionHandle);
            session.sessionHandle = 0;
        });
        return;
    }

    steps.step(128, [&] {
        setStatus(tr("Connected"));
        showConnectionEncryption(this, session.endpoint,
                                 QString::fromStdString(FtpGetConnectionEncryption(session.connectionHandle)));
        // Which ~/.ssh/config entry made this logon, for whoever wonders why it went where it did.
        if (const QString notes = QString::fromStdString(FtpGetLogonNotes(session.connectionHandle)); !notes.isEmpty())
            lblStatus->setToolTip(lblStatus->toolTip().isEmpty() ? notes : lblStatus->toolTip() + QLatin1Char('\n') + notes);
    });
    steps.step(130, [&] { PushButton3->setEnabled(false); });
    steps.step(132, [&] { PushButton8->setEnabled(true); });
    steps.step(134, [&] { Frame3->setEnabled(true); });
    steps.step(136, [&] { PushButton1->setEnabled(true); });
    if (KeptServers* kept = keptServersOf(*this))
        kept->remember({session.hostName, txtPort->text(), session.userName});

    std::string reply;
    bool replied = false;
    QString directory;
    steps.step(138, [&] {
        reply.clear();
        // The folder a pasted address names; one that cannot be opened leaves
        // the server's own starting folder, and the tooltip says why.
        if (!folderAsked.isEmpty() && !FtpSetCurrentDirectoryA(session.connectionHandle, toRemote(folderAsked))) {
            const QString why = tr("The folder %1 could not be opened: %2")
                                    .arg(folderAsked, engineMessage(fromRemote(InternetGetLastErrorText())));
            lblStatus->setToolTip(lblStatus->toolTip().isEmpty() ? why : lblStatus->toolTip() + QLatin1Char('\n') + why);
        }
    });
    steps.step(140, [&] { replied = FtpGetCurrentDirectoryA(session.connectionHandle, reply); });
    steps.step(142, [&] {
        if (!replied)
            throw StepFailure(tr("Could not read the server's current folder: %1")
                                  .arg(engineMessage(fromRemote(InternetGetLastErrorText()))));
        directory = fromRemote(reply.substr(0, reply.find('\0')));
    });

    // A server that starts elsewhere than "/" has that folder listed first; the
    // tree then shows the way down to it so currentPath names the listed folder.
    const QStringList parts = startFolderParts(directory);
    steps.step(144, [&] { session.searchPattern = pathOf(parts) + QStringLiteral("*.*"); });
    steps.step(146, [&] {
        currentNode = addNode(nullptr, QStringLiteral("/"), QStringLiteral(".."),
                              FileTypeIcon::RootFolder, FileTypeIcon::RootFolder);
    });
    steps.step(148, [&] { session.currentPath = pathOf(parts); });
    steps.step(150, [&] {
        QTreeWidgetItem* parent = nodeByKey(QStringLiteral("/"));
        if (!parent)
            throw StepFailure(tr("Element not found: /"));
        for (qsizetype depth = 0; depth < parts.size(); ++depth) {
            const QString key = pathOf(parts.mid(0, depth + 1));
            QTreeWidgetItem* node = nodeByKey(key);
            if (!node)
                node = addNode(parent, key, displayName(toRemote(parts[depth])), FileTypeIcon::Folder, FileTypeIcon::OpenFolder);
            parent->setExpanded(true);
            parent = node;
        }
        // The listed folder is the selected one, so a refresh re-reads it;
        // open, like a clicked folder, so its sub-folders show once listed.
        currentNode = parent;
        parent->setExpanded(true);
        TView1->clearSelection();
        TView1->setCurrentItem(parent);
        parent->setSelected(true);
    });
    steps.step(152, [&] { list(); });
}

// Logoff
void Form1::PushButton8_Click()
{
    StepRunner steps(this, form1Procedure("PushButton8_Click"));

    steps.step(100, [&] { (void)InternetCloseHandle(session.connectionHandle); });
    steps.step(102, [&] { (void)InternetCloseHandle(session.sessionHandle); });
    steps.step(104, [&] { session.connectionHandle = 0; });
    steps.step(106, [&] { session.sessionHandle = 0; });
    steps.step(108, [&] {
        currentListItem = nullptr;
        ListView1->clear();
    });
    steps.step(110, [&] {
        currentNode = nullptr;
        TView1->clear();
    });
    steps.step(112, [&] {
        setStatus(tr("Disconnected"));
        hideConnectionEncryption(this);
    });
    steps.step(114, [&] { PushButton3->setEnabled(true); });
    steps.step(116, [&] { Frame3->setEnabled(false); });
    steps.step(118, [&] { PushButton1->setEnabled(false); });
    steps.step(120, [&] { PushButton8->setEnabled(false); });
}
