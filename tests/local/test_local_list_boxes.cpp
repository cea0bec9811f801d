// The three local lists on their own: what the file list shows, how the folder
// list moves, and which volumes the drive list offers.

#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& content = "x")
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.item(row)->text();
    return texts;
}

QPoint rowCentre(const QListWidget& list, int row)
{
    return list.visualItemRect(list.item(row)).center();
}

// What the system sends for a double-click: a click, then the second press as
// a double-click, then its release. (QTest::mouseDClick alone sends only the
// middle event.)
void doubleClick(QWidget* target, QPoint at)
{
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

// A folder this process really cannot list; false (no folder made) under root,
// where permission bits do not stop a read.
bool makeUnreadableFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        return false;
    ::chmod(QFile::encodeName(path).constData(), 0);
    if (isReadableFolder(path)) {
        ::chmod(QFile::encodeName(path).constData(), 0755);
        return false;
    }
    return true;
}

} // namespace

class LocalListBoxesTest : public QObject {
    Q_OBJECT

private slots:
    // --- the file list ---

    void fileListShowsOnlyOrdinaryFilesSortedByNameIgnoringCase()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/beta.txt");
        writeFile(root + "/Alpha.txt");
        writeFile(root + "/alpha.txt");
        writeFile(root + "/Zed");
        writeFile(root + "/10.log");
        writeFile(root + "/.hidden");
        QVERIFY(QDir(root).mkdir("sub"));
        QVERIFY(QDir(root).mkdir("middle-folder"));
        QVERIFY(QFile::link(root + "/beta.txt", root + "/link-to-beta"));
        QVERIFY(QFile::link(root + "/gone", root + "/broken-link"));
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);

        FileListBox files;
        files.setPath(root);

        const QStringList expected = {"10.log", "Alpha.txt", "alpha.txt", "beta.txt",
                                      "link-to-beta", "Zed"};
        QCOMPARE(rowTexts(files), expected);
        QCOMPARE(files.ListCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(files.List(i), expected[i]);
        QCOMPARE(files.Path(), root);
    }

    void fileListReadsTheSameFolderAgainAndDropsTheOldSelection()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/b.bin");
        FileListBox files;
        files.setPath(dir.path());
        QCOMPARE(files.ListCount(), 1);
        files.setSelected(0, true);

        writeFile(dir.path() + "/a.bin");
        QFile::remove(dir.path() + "/b.bin");
        writeFile(dir.path() + "/c.bin");
        files.setPath(dir.path());

        QCOMPARE(rowTexts(files), (QStringList{"a.bin", "c.bin"}));
        QVERIFY(!files.Selected(0));
        QVERIFY(!files.Selected(1));
    }

    void fileListPathIsCleanAbsoluteAndRootStaysSlash()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("inner"));
        FileListBox files;
        files.setPath(dir.path() + "/inner/../");
        QCOMPARE(files.Path(), dir.path());
        files.setPath("/");
        QCOMPARE(files.Path(), QStringLiteral("/"));
    }

    void fileListOfMissingOrUnreadableFolderIsEmptyAndSafeToQuery()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/kept.txt");
        FileListBox files;
        files.setPath(dir.path());
        QCOMPARE(files.ListCount(), 1);

        files.setPath(dir.path() + "/does-not-exist");
        QCOMPARE(files.ListCount(), 0);
        QCOMPARE(files.List(0), QString());
        QCOMPARE(files.List(-1), QString());
        QVERIFY(!files.Selected(0));
        files.setSelected(3, true);  // outside the list: ignored, no crash

        files.setPath(dir.path() + "/kept.txt");  // a file, not a folder
        QCOMPARE(files.ListCount(), 0);

        files.setPath(QString());
        QCOMPARE(files.ListCount(), 0);

        const QString locked = dir.path() + "/locked";
        if (makeUnreadableFolder(locked)) {
            writeFile(dir.path() + "/outside.txt");
            files.setPath(locked);
            QCOMPARE(files.ListCount(), 0);
            ::chmod(QFile::encodeName(locked).constData(), 0755);
        }
    }

    void fileListSelectsWithClickShiftClickAndCtrlClick()
    {
        QTemporaryDir dir;
        for (const char* name : {"a", "b", "c", "d", "e", "f"})
            writeFile(dir.path() + '/' + name);
        FileListBox files;
        files.resize(200, 200);
        files.setPath(dir.path());
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));
        auto selectedRows = [&] {
            QList<int> rows;
            for (int i = 0; i < files.ListCount(); ++i)
                if (files.Selected(i))
                    rows << i;
            return rows;
        };

        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, rowCentre(files, 1));
        QCOMPARE(selectedRows(), (QList<int>{1}));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(files, 3));
        QCOMPARE(selectedRows(), (QList<int>{1, 2, 3}));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(files, 5));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(files, 2));
        QCOMPARE(selectedRows(), (QList<int>{1, 3, 5}));
        // A plain click starts over with one file.
        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, rowCentre(files, 0));
        QCOMPARE(selectedRows(), (QList<int>{0}));

        files.setSelected(4, true);
        QVERIFY(files.Selected(4));
        files.setSelected(0, false);
        QCOMPARE(selectedRows(), (QList<int>{4}));
    }

    void focusingTheFileListSelectsNothing()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/only.txt");
        FileListBox files;
        files.setPath(dir.path());
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));
        files.setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QVERIFY(!files.Selected(0));
    }

    // --- the folder list ---

    void folderListShowsThePathChainThenVisibleSubFoldersSorted()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char* name : {"zeta", "Beta", "alpha", ".secret"})
            QVERIFY(QDir(root).mkdir(name));
        writeFile(root + "/file-not-a-folder");

        DirListBox folders;
        QVERIFY(folders.setPath(root));
        QCOMPARE(folders.Path(), root);

        const QStringList chain = root.split('/', Qt::SkipEmptyParts);
        QStringList expected{"/"};
        expected << chain << QStringList{"alpha", "Beta", "zeta"};
        QCOMPARE(rowTexts(folders), expected);

        // Each chain row one level deeper, the sub-folders one level below the folder.
        for (int row = 0; row <= chain.size(); ++row)
            QCOMPARE(folders.rowLevel(row), row);
        for (int row = chain.size() + 1; row < folders.count(); ++row)
            QCOMPARE(folders.rowLevel(row), chain.size() + 1);
        QCOMPARE(folders.rowPath(0), QStringLiteral("/"));
        QCOMPARE(folders.rowPath(chain.size()), root);
        QCOMPARE(folders.rowPath(chain.size() + 2), root + "/Beta");
        QCOMPARE(folders.rowPath(folders.count()), QString());
        // The current folder is the highlighted row.
        QCOMPARE(folders.currentRow(), chain.size());
    }

    void folderListAtRootHasOneChainRowAndSlashPath()
    {
        DirListBox folders;
        QVERIFY(folders.setPath("/"));
        QCOMPARE(folders.Path(), QStringLiteral("/"));
        QCOMPARE(folders.item(0)->text(), QStringLiteral("/"));
        QCOMPARE(folders.currentRow(), 0);
        for (int row = 1; row < folders.count(); ++row) {
            QCOMPARE(folders.rowLevel(row), 1);
            QCOMPARE(folders.rowPath(row), "/" + folders.item(row)->text());
        }
        QVERIFY(folders.setPath("//tmp//"));
        QCOMPARE(folders.Path(), QStringLiteral("/tmp"));
    }

    void folderListRefusesWhatItCannotReadAndKeepsItsFolder()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/plain.txt");
        QVERIFY(QDir(dir.path()).mkdir("child"));
        const QString locked = dir.path() + "/locked";
        const bool haveLocked = makeUnreadableFolder(locked);
        DirListBox folders;
        QVERIFY(folders.setPath(dir.path()));
        const QStringList before = rowTexts(folders);
        QSignalSpy changes(&folders, &DirListBox::Change);

        QVERIFY(!folders.setPath(dir.path() + "/missing"));
        QVERIFY(!folders.setPath(dir.path() + "/plain.txt"));
        QVERIFY(!folders.setPath(QString()));
        if (haveLocked) {
            QVERIFY(!folders.setPath(locked));
            ::chmod(QFile::encodeName(locked).constData(), 0755);
        }

        QCOMPARE(changes.count(), 0);
        QCOMPARE(folders.Path(), dir.path());
        QCOMPARE(rowTexts(folders), before);
    }

    void folderListRaisesChangeOnlyWhenTheFolderChanges()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("one"));
        DirListBox folders;
        QVERIFY(folders.setPath(dir.path()));
        QSignalSpy changes(&folders, &DirListBox::Change);

        QVERIFY(folders.setPath(dir.path() + "/"));
        QCOMPARE(changes.count(), 0);
        // The same folder is still read again: a new sub-folder shows.
        QVERIFY(QDir(dir.path()).mkdir("two"));
        QVERIFY(folders.setPath(dir.path()));
        QVERIFY(rowTexts(folders).contains("two"));
        QCOMPARE(changes.count(), 0);

        QVERIFY(folders.setPath(dir.path() + "/one"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(folders.Path(), dir.path() + "/one");
    }

    void doubleClickOrEnterOpensARowAndSingleClickOnlyHighlights()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("outer/inner"));
        DirListBox folders;
        folders.resize(300, 400);
        QVERIFY(folders.setPath(dir.path()));
        folders.show();
        QVERIFY(QTest::qWaitForWindowExposed(&folders));
        QSignalSpy changes(&folders, &DirListBox::Change);
        const int outerRow = folders.count() - 1;
        QCOMPARE(folders.item(outerRow)->text(), QStringLiteral("outer"));

        QTest::mouseClick(folders.viewport(), Qt::LeftButton, {}, rowCentre(folders, outerRow));
        QCOMPARE(folders.Path(), dir.path());
        QCOMPARE(changes.count(), 0);

        doubleClick(folders.viewport(), rowCentre(folders, outerRow));
        QCOMPARE(folders.Path(), dir.path() + "/outer");
        QCOMPARE(changes.count(), 1);
        QCOMPARE(folders.item(folders.count() - 1)->text(), QStringLiteral("inner"));

        // Up the chain with the keyboard: the row above the current folder, then Enter.
        folders.setFocus();
        QTest::keyClick(&folders, Qt::Key_Up);
        QTest::keyClick(&folders, Qt::Key_Return);
        QCOMPARE(folders.Path(), dir.path());
        QCOMPARE(changes.count(), 2);

        // A row whose folder vanished meanwhile: nothing moves.
        QVERIFY(QDir(dir.path() + "/outer").removeRecursively());
        folders.openRow(folders.count() - 1);
        QCOMPARE(folders.Path(), dir.path());
        QCOMPARE(changes.count(), 2);
    }

    // --- the drive list ---

    void driveListOffersRealVolumesRootFirstThenSorted_data()
    {
        QTest::addColumn<QStringList>("mountPoints");
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("root first, others sorted ignoring case")
            << QStringList{"/media/usb", "/home", "/", "/Data"}
            << QStringList{"vfat", "ext4", "ext4", "xfs"}
            << QStringList{"/", "/Data", "/home", "/media/usb"};
        QTest::newRow("kernel file systems left out")
            << QStringList{"/", "/proc", "/sys", "/sys/fs/cgroup/cpu", "/mnt/cg", "/dev/pts"}
            << QStringList{"overlay", "proc", "sysfs", "cgroup", "cgroup2", "devpts"}
            << QStringList{"/"};
        QTest::newRow("runtime tmpfs left out, /tmp and removable media kept")
            << QStringList{"/", "/run", "/run/user/1000", "/dev/shm", "/tmp", "/run/media/ann/STICK"}
            << QStringList{"ext4", "tmpfs", "tmpfs", "tmpfs", "tmpfs", "vfat"}
            << QStringList{"/", "/run/media/ann/STICK", "/tmp"};
        QTest::newRow("a mount point mounted twice shows once")
            << QStringList{"/", "/srv", "/srv"} << QStringList{"ext4", "nfs", "nfs"}
            << QStringList{"/", "/srv"};
        QTest::newRow("snap images left out")
            << QStringList{"/", "/snap/core/17"} << QStringList{"ext4", "squashfs"}
            << QStringList{"/"};
    }

    void driveListOffersRealVolumesRootFirstThenSorted()
    {
        QFETCH(QStringList, mountPoints);
        QFETCH(QStringList, types);
        QFETCH(QStringList, expected);
        QList<QPair<QString, QByteArray>> volumes;
        for (int i = 0; i < mountPoints.size(); ++i)
            volumes.append({mountPoints[i], types[i].toLatin1()});
        QCOMPARE(DriveListBox::usableMountPoints(volumes), expected);
    }

    void driveListStartsOnTheCurrentFoldersVolumeWithRootFirst()
    {
        DriveListBox drives;
        QVERIFY(drives.count() >= 1);
        QCOMPARE(drives.itemData(0).toString(), QStringLiteral("/"));
        QCOMPARE(drives.Drive(), QStorageInfo(QDir::currentPath()).rootPath());
        for (int i = 0; i < drives.count(); ++i)
            QVERIFY2(QFileInfo(drives.itemData(i).toString()).isDir(),
                     qPrintable(drives.itemData(i).toString()));
    }

    void driveListRaisesChangeForAUserPickOfAnotherDriveOnly()
    {
        QTemporaryDir dir;
        DriveListBox drives;
        drives.setDrive("/");
        drives.addDriveForTesting(dir.path());
        QSignalSpy changes(&drives, &DriveListBox::Change);

        drives.setDrive(dir.path());  // set by the program: no Change
        QCOMPARE(drives.Drive(), dir.path());
        QCOMPARE(changes.count(), 0);
        drives.setDrive("/not/a/listed/volume");  // unknown: selection stays
        QCOMPARE(drives.Drive(), dir.path());

        QTest::keyClick(&drives, Qt::Key_Home);
        QCOMPARE(drives.Drive(), QStringLiteral("/"));
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(&drives, Qt::Key_Home);  // the drive already shown
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(&drives, Qt::Key_End);
        QCOMPARE(drives.Drive(), dir.path());
        QCOMPARE(changes.count(), 2);

        // Opening the list reads the volumes again: the shown drive stays while
        // it is still mounted, and nothing counts as a pick.
        QTest::keyClick(&drives, Qt::Key_Home);
        QCOMPARE(changes.count(), 3);
        drives.show();
        QVERIFY(QTest::qWaitForWindowExposed(&drives));
        drives.showPopup();
        drives.hidePopup();
        QCOMPARE(drives.Drive(), QStringLiteral("/"));
        QCOMPARE(drives.findData(dir.path()), -1);  // the made-up drive is gone
        QCOMPARE(changes.count(), 3);
    }
};

QTEST_MAIN(LocalListBoxesTest)
#include "test_local_list_boxes.moc"
