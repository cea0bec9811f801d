#pragma once
// Shared steps of the window tests.

#include "main_window/form1.h"
#include "support/test_ftp_server.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <chrono>

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
