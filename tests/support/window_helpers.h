#pragma once
// Shared steps of the window tests.

#include "main_window/form1.h"
#include "support/recording_dialogs.h"
#include "support/test_ftp_server.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Fills the settings boxes for `server` and presses "Logon".
inline void logOn(Form1& window, const TestFtpServer& server)
{
    InternetSetDefaultTimeout(std::chrono::milliseconds(3000));
    window.txtHostName->setText(QStringLiteral("127.0.0.1"));
    window.txtPort->setText(QString::number(server.port()));
    window.txtUserName->setText(QString::fromLatin1(TestFtpServer::user()));
    window.txtPassword->setText(QString::fromLatin1(TestFtpServer::password()));
    window.PushButton3_Click();
}

// The texts of the file list's rows, top to bottom.
inline QStringList listedFiles(const Form1& window)
{
    QStringList names;
    for (int row = 0; row < window.ListView1->topLevelItemCount(); ++row)
        names << window.ListView1->topLevelItem(row)->text(0);
    return names;
}

// Selects the tree node with `key` and opens it as a click would.
inline void openFolder(Form1& window, const QString& key)
{
    QTreeWidgetItem* node = window.nodeByKey(key);
    if (!node)
        return;
    window.TView1->clearSelection();
    node->setSelected(true);
    window.TView1->setCurrentItem(node);
    window.TView1_NodeClick();
}

// Sorted copy, for comparing sets of names.
inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The file row named `name`, or nullptr.
inline QTreeWidgetItem* row(const Form1& window, const QString& name)
{
    for (int index = 0; index < window.ListView1->topLevelItemCount(); ++index)
        if (window.ListView1->topLevelItem(index)->text(0) == name)
            return window.ListView1->topLevelItem(index);
    return nullptr;
}

// Every tree node as "key|text" with its depth as leading dots, in tree order.
inline QStringList treeOutline(const Form1& window)
{
    QStringList outline;
    QTreeWidgetItemIterator it(window.TView1);
    for (; *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        outline << QString(depth, QLatin1Char('.')) + (*it)->data(0, Form1::NodeKeyRole).toString()
                       + QLatin1Char('|') + (*it)->text(0);
    }
    return outline;
}

inline QStringList childKeys(const QTreeWidgetItem* node)
{
    QStringList keys;
    for (int index = 0; node && index < node->childCount(); ++index)
        keys << node->child(index)->data(0, Form1::NodeKeyRole).toString();
    return keys;
}

// The commands the server received that start with `prefix`, e.g. "DELE".
inline std::vector<std::string> commandsStartingWith(const TestFtpServer& server, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : server.commandLog())
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

// Listing requests, whichever form the client chose.
inline std::size_t listingCount(const TestFtpServer& server)
{
    return commandsStartingWith(server, "MLSD").size() + commandsStartingWith(server, "LIST").size();
}

// A test server, the box recorder and a window logged on to that server.
struct ConnectedWindow {
    explicit ConnectedWindow(std::vector<std::string> options = {}) : server(std::move(options)) {}
    TestFtpServer server;
    RecordingDialogs dialogs;
    std::unique_ptr<Form1> window;

    // Creates the window (shown, where an editor needs focus), logs on and
    // forgets the boxes of the logon.
    void logOnNow(bool shown = false)
    {
        window = std::make_unique<Form1>();
        if (shown)
            window->show();
        logOn(*window, server);
        dialogs.clear();
    }
};
