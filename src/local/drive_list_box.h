#pragma once
// The drive list: the machine's mounted volumes, the root "/" first.

#include <QComboBox>

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // The selected volume's mount point, e.g. "/" or "/media/usb".
    QString Drive() const;
    // Selects the volume mounted at `mountPoint` without raising Change; an
    // unknown mount point leaves the selection as it is.
    void setDrive(const QString& mountPoint);
    // Reads the mounted volumes again.
    void Refresh();
    // Appends a mount point the volume scan did not report, so a test can pick
    // a volume that has gone away. The next Refresh drops it.
    void addDriveForTesting(const QString& mountPoint);

    // The mount points worth offering out of `volumes` (mount point, file
    // system type): real volumes only, "/" first, the rest sorted, no repeats.
    static QStringList usableMountPoints(const QList<QPair<QString, QByteArray>>& volumes);

    // Reads the volumes again first, so media mounted meanwhile are offered.
    void showPopup() override;

signals:
    void Change();

private:
    void addDrive(const QString& mountPoint, const QString& label);
    void userPicked(int index);

    QString chosen_;  // the drive the last Change (or setDrive) was about
};
