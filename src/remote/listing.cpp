#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "remote/display_formats.h"
#include "remote/file_type_icons.h"

#include <QTreeWidget>

void Form1::list()
{
    StepRunner steps(this, form1Procedure("list"));

    bool connected = false;
    steps.step(100, [&] { connected = session.isConnected(); });
    if (!connected) {
        steps.step(102, [&] { userDialogs().message(this, tr("You are not connected to any server")); });
        return;
    }

    steps.step(104, [&] { setMousePointer(vbHourglass); });
    // Input stays queued at both yields, so a click cannot start a second
    // navigation in the middle of this one.
    steps.step(106, [&] { setStatus(tr("Sending request...Please wait.")); });
    steps.step(108, [&] { doEventsWithoutInput(); });
    steps.step(110, [&] {
        currentListItem = nullptr;
        ListView1->clear();
    });
    steps.step(112, [&] {
        setStatus(tr("Opening folder: \"%1\"").arg(displayPath(toRemote(session.searchPattern))));
    });
    steps.step(114, [&] { doEventsWithoutInput(); });

    WIN32_FIND_DATAA record;
    HINTERNET findHandle = 0;
    // A listing that failed because the server is gone, or does not answer,
    // is not an empty folder.
    std::uint32_t lostCode = 0;
    steps.step(116, [&] {
        findHandle = FtpFindFirstFileA(session.connectionHandle, toRemote(session.searchPattern),
                                       record, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        const std::uint32_t code = findHandle == 0 ? GetLastError() : 0;
        if (code == ERROR_INTERNET_CONNECTION_ABORTED || code == ERROR_INTERNET_TIMEOUT)
            lostCode = code;
    });

    // File rows are filled before they join the list and join it together
    // after the last entry: one insertion instead of one per file, as the
    // list's model signals every change to a row that is in it. Nothing
    // between here and there lets the window paint, so nobody sees the difference.
    QList<QTreeWidgetItem*> rows;
    bool found = false;
    steps.step(118, [&] { found = findHandle != 0; });
    if (found) {
        bool more = true;
        while (more) {
            std::string rawName;
            QString name;   // the key's text: turns back into exactly these bytes
            QString shown;  // what the user reads
            steps.step(120, [&] {
                rawName = record.cFileName.substr(0, record.cFileName.find('\0'));
                name = fromRemote(rawName);
                shown = displayName(rawName);
            });

            bool named = true;
            steps.step(122, [&] { named = !rawName.empty(); });
            if (named) {
                bool folder = false;
                steps.step(124, [&] { folder = (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; });
                if (folder) {
                    steps.step(126, [&] {
                        QTreeWidgetItem* parent = nodeByKey(session.currentPath);
                        if (!parent)
                            throw StepFailure(tr("Element not found: %1").arg(session.currentPath));
                        currentNode = addNode(parent, session.currentPath + name + QLatin1Char('/'),
                                              shown, FileTypeIcon::Folder, FileTypeIcon::OpenFolder);
                    });
                    steps.step(128, [&] {
                        if (QTreeWidgetItem* root = TView1->topLevelItem(0))
                            root->setExpanded(true);
                    });
                } else {
                    short icon = FileTypeIcon::OtherFile;
                    SYSTEMTIME modified;
                    bool dated = false;
                    // Only this entry's row: a failed add must not date the previous one.
                    QTreeWidgetItem* row = nullptr;
                    steps.step(130, [&] { icon = ImgNumber(shown); });
                    steps.step(132, [&] {
                        row = new QTreeWidgetItem;
                        row->setText(0, shown);
                        row->setIcon(0, fileTypeIcon(icon));
                        // Later operations use these bytes, so a name that is
                        // not valid UTF-8 still reaches the server unchanged.
                        row->setData(0, RemoteNameRole, QByteArray(rawName.data(), qsizetype(rawName.size())));
                        rows.append(row);
                        currentListItem = row;
                    });
                    steps.step(134, [&] { modified = record.ftLastWriteTime; });
                    // A listing without a time leaves the column empty rather
                    // than showing a made-up date.
                    steps.step(136, [&] { dated = modified.month >= 1 && modified.day >= 1; });
                    steps.step(138, [&] {
                        if (row && dated) {
                            row->setText(1, DateText(modified));
                            row->setData(1, RemoteDateRole, listedDateStamp(modified));
                        }
                    });
                    steps.step(140, [&] {
                        if (row)
                            row->setText(2, QString::number(quint64(record.fileSize)));
                    });
                }
            }
            if (!steps.step(142, [&] { more = InternetFindNextFileA(findHandle, record); }))
                more = false;
        }
    }

    ListView1->addTopLevelItems(rows);

    steps.step(144, [&] { (void)InternetCloseHandle(findHandle); });
    steps.step(146, [&] { setStatus(tr("Data transfer completed succesfully.")); });
    steps.step(148, [&] {
        ListView1->clearSelection();
        ListView1->setCurrentItem(nullptr);
    });
    steps.step(150, [&] { setMousePointer(vbDefault); });
    steps.step(152, [&] {
        if (lostCode == ERROR_INTERNET_CONNECTION_ABORTED) {
            setStatus(tr("Connection to the server was lost."));
            return;
        }
        if (lostCode == ERROR_INTERNET_TIMEOUT) {
            setStatus(tr("The server did not answer in time."));
            return;
        }
        setStatus(tr("Server: %1 Files in folder: %2")
                      .arg(QString::number(ListView1->topLevelItemCount()),
                           displayPath(toRemote(session.searchPattern))));
    });
}
