#pragma once
// The drive list: the machine's mounted volumes, the root "/" first.

#include <QComboBox>

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // The selected volume's mount point, e.g. "/" or "/media/usb".
    QString Drive() const;
    void setDrive(const QString& mountPoint);
    // Reads the mounted volumes again.
    void Refresh();
signals:
    void Change();
};
