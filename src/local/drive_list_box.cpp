#include "local/drive_list_box.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace {

// Kernel and runtime file systems that hold nothing a user transfers.
bool isPseudoFileSystem(const QByteArray& type)
{
    static const QList<QByteArray> pseudo = {
        "proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "mqueue", "debugfs",
        "tracefs", "securityfs", "pstore", "bpf", "configfs", "fusectl", "hugetlbfs", "autofs",
        "binfmt_misc", "efivarfs", "nsfs", "rpc_pipefs", "selinuxfs", "fuse.gvfsd-fuse",
        "fuse.portal"};
    return pseudo.contains(type);
}

bool isUnder(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Mounts of the system's own plumbing. Removable media mounted under
// /run/media (udisks on several distributions) stay in.
bool isSystemMountPoint(const QString& mountPoint)
{
    if (isUnder(mountPoint, QStringLiteral("/run/media")))
        return false;
    for (const char* folder : {"/proc", "/sys", "/dev", "/run", "/snap"}) {
        if (isUnder(mountPoint, QLatin1String(folder)))
            return true;
    }
    return false;
}

QString volumeOf(const QString& folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    return root.isEmpty() ? QStringLiteral("/") : root;
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // activated() comes from the user only, never from setCurrentIndex().
    connect(this, &QComboBox::activated, this, &DriveListBox::userPicked);
    Refresh();
    setDrive(volumeOf(QDir::currentPath()));
}

QStringList DriveListBox::usableMountPoints(const QList<QPair<QString, QByteArray>>& volumes)
{
    QStringList mountPoints;
    for (const auto& [mountPoint, type] : volumes) {
        if (mountPoint.isEmpty() || isPseudoFileSystem(type) || isSystemMountPoint(mountPoint))
            continue;
        if (!mountPoints.contains(mountPoint))
            mountPoints << mountPoint;
    }
    std::sort(mountPoints.begin(), mountPoints.end(), [](const QString& a, const QString& b) {
        if ((a == QLatin1String("/")) != (b == QLatin1String("/")))
            return a == QLatin1String("/");
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return mountPoints;
}

void DriveListBox::Refresh()
{
    const QString previous = Drive();
    QList<QPair<QString, QByteArray>> volumes;
    QHash<QString, QString> labels;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        // Containers bind-mount single files (/etc/hosts); only folders are drives.
        if (!QFileInfo(volume.rootPath()).isDir())
            continue;
        volumes.append({volume.rootPath(), volume.fileSystemType()});
        if (!labels.contains(volume.rootPath()))
            labels.insert(volume.rootPath(), volume.name());
    }
    QStringList mountPoints = usableMountPoints(volumes);
    // The folder the program started in must be reachable from this list even
    // when its volume looks like plumbing (say, a tmpfs working folder).
    const QString home = volumeOf(QDir::currentPath());
    if (!mountPoints.contains(home))
        mountPoints.insert(home == QLatin1String("/") ? 0 : mountPoints.size(), home);
    if (!mountPoints.contains(QStringLiteral("/")))
        mountPoints.prepend(QStringLiteral("/"));

    const QSignalBlocker quiet(this);
    clear();
    for (const QString& mountPoint : mountPoints)
        addDrive(mountPoint, labels.value(mountPoint));
    const int keep = findData(previous);
    setCurrentIndex(keep >= 0 ? keep : 0);
}

void DriveListBox::showPopup()
{
    Refresh();
    QComboBox::showPopup();
}

void DriveListBox::addDrive(const QString& mountPoint, const QString& label)
{
    // Like "c: [SYSTEM]": the mount point, then the volume label if it has one.
    QString text = mountPoint;
    if (!label.isEmpty() && label != mountPoint)
        text += QStringLiteral(" [") + label + QLatin1Char(']');
    addItem(text, mountPoint);
}

void DriveListBox::addDriveForTesting(const QString& mountPoint)
{
    if (findData(mountPoint) < 0)
        addDrive(mountPoint, QString());
}

QString DriveListBox::Drive() const
{
    const QVariant mountPoint = currentData();
    return mountPoint.isValid() ? mountPoint.toString() : currentText();
}

void DriveListBox::setDrive(const QString& mountPoint)
{
    const int index = findData(mountPoint);
    if (index < 0)
        return;
    setCurrentIndex(index);
    chosen_ = mountPoint;
}

void DriveListBox::userPicked(int index)
{
    const QString picked = itemData(index).toString();
    // Picking the drive already shown is no change.
    if (picked == chosen_)
        return;
    chosen_ = picked;
    emit Change();
}
