#include "main_window/form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Form1 window;
    window.show();
    return application.exec();
}
