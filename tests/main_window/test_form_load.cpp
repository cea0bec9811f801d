// Start-up of the main window: the optional skin and pointer files next to the
// program, caption, icon and title, the file list's columns, the file mask and
// the status line, and the failures the load reports and survives.

#include "app/appearance.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QString shippedPointer =
    QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../src/resources/HAND-M.CUR");

QColor background(const QWidget* widget) { return widget->palette().color(QPalette::Window); }

void hover(QWidget* widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(widget, &enter);
}

} // namespace

class FormLoadTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<RecordingDialogs> dialogs;

    QString path(const QString& name) const { return folder->filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QDir(folder->path()).mkpath(QFileInfo(path(name)).absolutePath());
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList reports() const { return dialogs->texts(RecordedBox::ErrorReport); }

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        setProgramFolderForTesting(folder->path());
        dialogs = std::make_unique<RecordingDialogs>();
        setApplicationTitle(QString());
    }

    void cleanup()
    {
        dialogs.reset();
        setProgramFolderForTesting(QString());
        folder.reset();
    }

    void startsWithDesignedLookWhenNoOptionalFileIsThere()
    {
        Form1 window;
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(background(&window), QColor(Qt::white));
        QCOMPARE(background(window.Frame2), QColor(Qt::white));
        QCOMPARE(background(window.Label1), QColor(Qt::white));
        QVERIFY(window.styleSheet().isEmpty());
        QCOMPARE(window.customPointer().shape(), Qt::ArrowCursor);
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvell"));
        QCOMPARE(applicationTitle(), QStringLiteral("Corvell"));
        const QList<QSize> iconSizes = window.windowIcon().availableSizes();
        for (int size : {32, 48, 128, 256})
            QVERIFY2(iconSizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(window.fileMask, QStringLiteral("*.*"));
        QVERIFY(window.lblStatus->autoFillBackground());
        QCOMPARE(background(window.lblStatus), QColor(Qt::white));
    }

    void fileListHasOneWideAndTwoCollapsedColumns()
    {
        Form1 window;
        QTreeWidget* list = window.ListView1;
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("File(s)"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Date Modified"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("File Size"));
        QHeaderView* header = list->header();
        QCOMPARE(header->sectionSize(0), 247);
        QCOMPARE(header->sectionSize(1), 1);
        QCOMPARE(header->sectionSize(2), 1);
        // The collapsed columns can still be dragged wider and back.
        QCOMPARE(header->sectionResizeMode(1), QHeaderView::Interactive);
        QCOMPARE(header->sectionResizeMode(2), QHeaderView::Interactive);
        QVERIFY(!header->stretchLastSection());
        QCOMPARE(header->minimumSectionSize(), 1);
        QVERIFY(!header->isHidden());
    }

    void skinTurnsWindowFramesAndLabelsButtonFaceAndAppliesIt()
    {
        const QColor face = buttonFaceColour();
        QVERIFY(face != QColor(Qt::white));  // otherwise this test proves nothing
        const QByteArray skin = "QPushButton { color: #102030; }\n";
        write(QStringLiteral("x/o.cjs"), skin);

        Form1 window;
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(window.styleSheet(), QString::fromUtf8(skin));
        window.PushButton3->ensurePolished();
        QCOMPARE(window.PushButton3->palette().color(QPalette::ButtonText), QColor(0x10, 0x20, 0x30));

        QCOMPARE(background(&window), face);
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window.Frame1, window.Frame2, window.Frame3, window.Label1, window.Label2,
                 window.Label3, window.Label6})
            QCOMPARE(background(control), face);
        for (QWidget* box : std::initializer_list<QWidget*>{
                 window.txtHostName, window.txtUserName, window.txtPassword, window.txtPort,
                 window.ListView1, window.TView1})
            QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
        // The status line is a label too, set back to white by the last step.
        QCOMPARE(background(window.lblStatus), QColor(Qt::white));
        window.lblStatus->ensurePolished();
        QVERIFY(window.lblStatus->styleSheet().contains(QStringLiteral("#ffffff")));
    }

    void folderNamedLikeTheSkinIsNoSkin()
    {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("x/o.cjs")));
        Form1 window;
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(background(&window), QColor(Qt::white));
        QVERIFY(window.styleSheet().isEmpty());
    }

    void unreadableSkinIsReportedAtLine102AndLoadGoesOn_data()
    {
        QTest::addColumn<QByteArray>("skin");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("not UTF-8") << QByteArray("QLabel { color: red; } \xff\xfe");
        QTest::newRow("unclosed brace") << QByteArray("QLabel { color: red;\n");
        QTest::newRow("stray brace") << QByteArray("QLabel { color: red; } }");
        QTest::newRow("unclosed comment") << QByteArray("/* QLabel { color: red; }");
    }

    void unreadableSkinIsReportedAtLine102AndLoadGoesOn()
    {
        QFETCH(QByteArray, skin);
        write(QStringLiteral("x/o.cjs"), skin);
        Form1 window;
        QCOMPARE(reports().size(), 1);
        QVERIFY(reports().first().contains(QStringLiteral("\r\nin Corvell2021/08/31.Form1.Form_Load at line 102\r\r")));
        // Colours set before the failure stay; no part of the skin is applied.
        QCOMPARE(background(&window), buttonFaceColour());
        QVERIFY(window.styleSheet().isEmpty());
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvell"));
        QCOMPARE(window.ListView1->columnCount(), 3);
        QCOMPARE(window.fileMask, QStringLiteral("*.*"));
        QCOMPARE(background(window.lblStatus), QColor(Qt::white));
    }

    void pointerFileBecomesTheCustomPointer()
    {
        QVERIFY(QFile::copy(shippedPointer, path(QStringLiteral("HAND-M.CUR"))));
        Form1 window;
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(window.customPointer().shape(), Qt::BitmapCursor);
        QCOMPARE(window.customPointer().hotSpot(), QPoint(12, 2));
        QCOMPARE(window.customPointer().pixmap().size(), QSize(32, 32));

        hover(window.PushButton4);
        QCOMPARE(window.MousePointer(), int(vbCustom));
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.cursor().hotSpot(), QPoint(12, 2));
    }

    void installedProgramTakesThePointerFromItsDataFolder()
    {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("share/corvell")));
        QVERIFY(QFile::copy(shippedPointer, path(QStringLiteral("share/corvell/HAND-M.CUR"))));
        setProgramFolderForTesting(path(QStringLiteral("bin")));
        Form1 window;
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(window.customPointer().hotSpot(), QPoint(12, 2));
    }

    void unloadablePointerFileIsReportedAtLine106AndLoadGoesOn_data()
    {
        QTest::addColumn<bool>("asFolder");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << false << QByteArray("not a cursor");
        QTest::newRow("empty") << false << QByteArray();
        QTest::newRow("cut short") << false << QByteArray("\0\0\2\0\1\0 ", 7);
        QTest::newRow("folder") << true << QByteArray();
    }

    void unloadablePointerFileIsReportedAtLine106AndLoadGoesOn()
    {
        QFETCH(bool, asFolder);
        QFETCH(QByteArray, bytes);
        if (asFolder)
            QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("HAND-M.CUR")));
        else
            write(QStringLiteral("HAND-M.CUR"), bytes);
        Form1 window;
        QCOMPARE(reports().size(), 1);
        QVERIFY(reports().first().contains(QStringLiteral("in Corvell2021/08/31.Form1.Form_Load at line 106\r\r")));
        QCOMPARE(window.customPointer().shape(), Qt::ArrowCursor);
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvell"));
        QCOMPARE(applicationTitle(), QStringLiteral("Corvell"));
        QCOMPARE(window.ListView1->columnCount(), 3);
        QCOMPARE(window.fileMask, QStringLiteral("*.*"));
    }

    void failuresAreReportedOnceEachInStepOrder()
    {
        write(QStringLiteral("x/o.cjs"), QByteArray("QLabel {"));
        write(QStringLiteral("HAND-M.CUR"), QByteArray("junk"));
        Form1 window;
        QCOMPARE(dialogs->boxes.size(), 2);
        QVERIFY(reports().at(0).contains(QStringLiteral("at line 102\r")));
        QVERIFY(reports().at(1).contains(QStringLiteral("at line 106\r")));
    }

    void hoverWithoutPointerFileShowsTheArrow()
    {
        Form1 window;
        hover(window.PushButton3);
        QCOMPARE(window.MousePointer(), int(vbCustom));
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        hover(window.Frame2);
        QCOMPARE(window.MousePointer(), int(vbDefault));
    }

    void movingOverTheWindowBackgroundRestoresTheDefaultPointer()
    {
        Form1 window;
        hover(window.PushButton8);
        QCOMPARE(window.MousePointer(), int(vbCustom));
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        QCOMPARE(window.MousePointer(), int(vbDefault));
    }

    void aMoveAButtonPassesOnToItsFrameStillShowsTheCustomPointer()
    {
        Form1 window;
        // A button ignores plain moves, so Qt hands them on to the frame around it.
        const QPointF overButton = QPointF(window.PushButton4->geometry().center());
        QMouseEvent move(QEvent::MouseMove, overButton, overButton, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(window.Frame3, &move);
        QCOMPARE(window.MousePointer(), int(vbCustom));
        QMouseEvent moveAway(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.Frame3, &moveAway);
        QCOMPARE(window.MousePointer(), int(vbDefault));
    }

    void hoverNeverReplacesTheHourglass()
    {
        QVERIFY(QFile::copy(shippedPointer, path(QStringLiteral("HAND-M.CUR"))));
        Form1 window;
        window.setMousePointer(vbHourglass);
        for (QWidget* watched : std::initializer_list<QWidget*>{
                 window.PushButton1, window.PushButton3, window.Frame1, window.Frame3,
                 window.ListView1->viewport()}) {
            hover(watched);
            QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(watched, &move);
            QCOMPARE(window.MousePointer(), int(vbHourglass));
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
        }
        window.setMousePointer(vbDefault);
        hover(window.PushButton5);
        QCOMPARE(window.MousePointer(), int(vbCustom));
    }
};

QTEST_MAIN(FormLoadTest)
#include "test_form_load.moc"
