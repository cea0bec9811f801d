// Shows both windows as a user meets them during an encrypted download, for
// the screen-reader check to read: the main window with its padlock and the
// Data Transfer dialog with read-outs filled. Runs until it is ended.

#include "engine_choice/endpoint.h"
#include "main_window/connection_security.h"
#include "main_window/form1.h"
#include "transfer/form2.h"
#include "transfer/progress_bar.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvell-accessibility-probe"));
    Form1 window;
    window.show();
    showConnectionEncryption(&window, engine_choice::parseEndpoint("127.0.0.1", 21), QStringLiteral("TLSv1.3"));

    Form2 transfer(window);
    transfer.lbCelkem->setText(QStringLiteral("12.00"));
    transfer.lbTime->setText(QStringLiteral("0:00:01"));
    transfer.ProgressBar1->setMax(100);
    transfer.ProgressBar1->setValue(std::int64_t(40));
    transfer.setModal(false);
    transfer.show();
    return application.exec();
}
