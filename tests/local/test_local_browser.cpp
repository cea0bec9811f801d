// The local browser inside the real main window: drive, folder and file lists
// chained through Form1's handlers.

#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <memory>

namespace {

void writeFile(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("data");
}

QStringList fileNames(const FileListBox& files)
{
    QStringList names;
    for (int i = 0; i < files.ListCount(); ++i)
        names << files.List(i);
    return names;
}

int rowOf(const QListWidget& list, const QString& text)
{
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->text() == text)
            return row;
    return -1;
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

// How the transfers build a local file name from the folder list's path.
QString localFile(const Form1& window, const QString& name)
{
    QString folder = window.dirLocalDir->Path();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder + name;
}

} // namespace

class LocalBrowserTest : public QObject {
    Q_OBJECT

private:
    QString startFolder_;
    std::unique_ptr<QTemporaryDir> work_;
    std::unique_ptr<RecordingDialogs> dialogs_;

    QString work() const { return work_->path(); }

private slots:
    void init()
    {
        startFolder_ = QDir::currentPath();
        work_ = std::make_unique<QTemporaryDir>();
        QVERIFY(work_->isValid());
        writeFile(work() + "/report.txt");
        writeFile(work() + "/Archive.zip");
        writeFile(work() + "/.profile");
        QVERIFY(QDir(work()).mkpath("photos/.thumbs"));
        writeFile(work() + "/photos/b.jpg");
        writeFile(work() + "/photos/a.jpg");
        writeFile(work() + "/photos/.index");
        QVERIFY(QDir::setCurrent(work()));
        dialogs_ = std::make_unique<RecordingDialogs>();
    }

    void cleanup()
    {
        dialogs_.reset();
        QDir::setCurrent(startFolder_);
        work_.reset();
    }

    void windowStartsWithAllThreeListsOnTheCurrentFolder()
    {
        Form1 window;
        QCOMPARE(window.dirLocalDir->Path(), work());
        QCOMPARE(window.filLocalFile->Path(), work());
        QCOMPARE(fileNames(*window.filLocalFile), (QStringList{"Archive.zip", "report.txt"}));
        QCOMPARE(window.drvLocalDrive->Drive(), QStorageInfo(work()).rootPath());
        QCOMPARE(window.drvLocalDrive->toolTip(), QStringLiteral("Local Drive List"));
        QCOMPARE(window.dirLocalDir->toolTip(), QStringLiteral("Local Directory"));
        QCOMPARE(window.filLocalFile->toolTip(), QStringLiteral("Local Files"));
        QCOMPARE(window.filLocalFile->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void pickingADriveMovesTheFolderListAndTheFileListToIt()
    {
        QTemporaryDir volume;
        writeFile(volume.path() + "/on-the-volume.dat");
        Form1 window;
        window.drvLocalDrive->addDriveForTesting(volume.path());

        QTest::keyClick(window.drvLocalDrive, Qt::Key_End);  // the user picks the last drive

        QCOMPARE(window.drvLocalDrive->Drive(), volume.path());
        QCOMPARE(window.dirLocalDir->Path(), volume.path());
        QCOMPARE(window.filLocalFile->Path(), volume.path());
        QCOMPARE(fileNames(*window.filLocalFile), QStringList{"on-the-volume.dat"});
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    void pickingAnInaccessibleDriveTellsTheUserAndKeepsTheFolder()
    {
        Form1 window;
        const QString gone = "/corvell-unmounted-" + QUuid::createUuid().toString(QUuid::Id128);
        QVERIFY(!QFileInfo::exists(gone));
        window.drvLocalDrive->addDriveForTesting(gone);
        window.filLocalFile->setSelected(1, true);

        QTest::keyClick(window.drvLocalDrive, Qt::Key_End);

        QCOMPARE(dialogs_->boxes.size(), 1);
        QCOMPARE(dialogs_->boxes[0].kind, RecordedBox::Message);
        QCOMPARE(dialogs_->boxes[0].text, QStringLiteral("Error accessing selected drive."));
        QCOMPARE(dialogs_->boxes[0].caption, applicationTitle());
        // The drive list shows the failed drive; the folder and files stay as they were.
        QCOMPARE(window.drvLocalDrive->Drive(), gone);
        QCOMPARE(window.dirLocalDir->Path(), work());
        QCOMPARE(window.filLocalFile->Path(), work());
        QCOMPARE(fileNames(*window.filLocalFile), (QStringList{"Archive.zip", "report.txt"}));
        QVERIFY(window.filLocalFile->Selected(1));

        // Picking a working drive afterwards recovers without another box.
        QTest::keyClick(window.drvLocalDrive, Qt::Key_Home);
        QCOMPARE(window.drvLocalDrive->Drive(), QStringLiteral("/"));
        QCOMPARE(window.dirLocalDir->Path(), QStringLiteral("/"));
        QCOMPARE(window.filLocalFile->Path(), QStringLiteral("/"));
        QCOMPARE(dialogs_->boxes.size(), 1);
    }

    void openingASubFolderShowsItsVisibleFilesOnly()
    {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DirListBox& folders = *window.dirLocalDir;
        QCOMPARE(rowOf(folders, ".thumbs"), -1);
        const int photos = rowOf(folders, "photos");
        QVERIFY(photos > 0);
        folders.scrollToItem(folders.item(photos));

        doubleClick(folders.viewport(), folders.visualItemRect(folders.item(photos)).center());

        QCOMPARE(folders.Path(), work() + "/photos");
        QCOMPARE(window.filLocalFile->Path(), work() + "/photos");
        QCOMPARE(fileNames(*window.filLocalFile), (QStringList{"a.jpg", "b.jpg"}));
        // The hidden sub-folder is not offered either.
        QCOMPARE(rowOf(folders, ".thumbs"), -1);
        QVERIFY(dialogs_->boxes.isEmpty());
    }

    // Ctrl+H in either local list shows dot-files and dot-folders; the next
    // window starts as the last one was left; Ctrl+H again hides them.
    void ctrlHShowsHiddenFilesAndTheChoiceIsKept()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brannock")).clear();
        auto window = std::make_unique<Form1>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(fileNames(*window->filLocalFile), (QStringList{"Archive.zip", "report.txt"}));

        window->filLocalFile->setFocus();
        QTest::keyClick(window->filLocalFile, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(fileNames(*window->filLocalFile), (QStringList{".profile", "Archive.zip", "report.txt"}));
        window->dirLocalDir->setPath(work() + "/photos");
        QVERIFY(fileNames(*window->filLocalFile).contains(".index"));
        QVERIFY(rowOf(*window->dirLocalDir, ".thumbs") > 0);

        window = std::make_unique<Form1>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(fileNames(*window->filLocalFile), (QStringList{".profile", "Archive.zip", "report.txt"}));
        window->dirLocalDir->setFocus();
        QTest::keyClick(window->dirLocalDir, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(fileNames(*window->filLocalFile), (QStringList{"Archive.zip", "report.txt"}));
        QVERIFY(Form1().filLocalFile->ListCount() == 2);
    }

    void folderChangeReadsTheFilesAgainSoANewDownloadShows()
    {
        Form1 window;
        QVERIFY(!fileNames(*window.filLocalFile).contains("fresh.bin"));
        writeFile(localFile(window, "fresh.bin"));

        window.dirLocalDir_Change();

        QCOMPARE(fileNames(*window.filLocalFile),
                 (QStringList{"Archive.zip", "fresh.bin", "report.txt"}));
    }

    void ctrlClickedFilesAllCountAsSelectedForAnUpload()
    {
        for (const char* name : {"c.txt", "d.txt", "e.txt"})
            writeFile(work() + '/' + name);
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        FileListBox& files = *window.filLocalFile;
        QCOMPARE(fileNames(files), (QStringList{"Archive.zip", "c.txt", "d.txt", "e.txt", "report.txt"}));

        for (int row : {0, 2, 4})
            QTest::mouseClick(files.viewport(), Qt::LeftButton, Qt::ControlModifier,
                              files.visualItemRect(files.item(row)).center());

        QStringList chosen;
        for (int i = 0; i < files.ListCount(); ++i)
            if (files.Selected(i))
                chosen << localFile(window, files.List(i));
        QCOMPARE(chosen, (QStringList{work() + "/Archive.zip", work() + "/d.txt",
                                      work() + "/report.txt"}));
        for (const QString& path : chosen)
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    }

    void atTheRootThePathIsASingleSlash()
    {
        Form1 window;
        QVERIFY(window.dirLocalDir->setPath("/"));
        QCOMPARE(window.dirLocalDir->Path(), QStringLiteral("/"));
        QCOMPARE(window.filLocalFile->Path(), QStringLiteral("/"));
        for (int i = 0; i < window.filLocalFile->ListCount(); ++i) {
            const QString name = window.filLocalFile->List(i);
            QCOMPARE(localFile(window, name), "/" + name);
        }
    }
};

QTEST_MAIN(LocalBrowserTest)
#include "test_local_browser.moc"
