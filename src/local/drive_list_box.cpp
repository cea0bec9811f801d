#include "local/drive_list_box.h"

// Placeholder until this part is built.
DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {}
QString DriveListBox::Drive() const { return currentText(); }
void DriveListBox::setDrive(const QString&) {}
void DriveListBox::Refresh() {}
