// The Data Transfer dialog on its own: layout, start and Cancel handlers,
// closing, and the hover pointer.

#include "main_window/user_dialogs.h"
#include "support/recording_dialogs.h"
#include "transfer/form2.h"
#include "transfer/progress_bar.h"
#include "transfer_test_helpers.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

class Form2Test : public QObject {
    Q_OBJECT
private slots:
    void opensWithItsDesignedLayoutAndTexts()
    {
        Form1 window;
        Form2 dialog(window);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Data Transfer"));
        QCOMPARE(dialog.size(), QSize(424, 276));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(dialog.Label3->text(), QStringLiteral("Kb to transfer:"));
        QCOMPARE(dialog.Label6->text(), QStringLiteral("Time elapsed:"));
        QCOMPARE(dialog.Label4->text(), QStringLiteral("Bytes sent:"));
        QCOMPARE(dialog.Label9->text(), QStringLiteral("Time remaining:"));
        QCOMPARE(dialog.Label5->text(), QStringLiteral("Bytes to send:"));
        QCOMPARE(dialog.Label7->text(), QStringLiteral("Speed:"));
        QCOMPARE(dialog.Label1->text(), QStringLiteral("Downloading file:"));
        QCOMPARE(dialog.Label2->text(), QStringLiteral("File:             /5"));
        QCOMPARE(dialog.PushButton1->text(), QStringLiteral("&Download"));
        QCOMPARE(dialog.PushButton2->text(), QStringLiteral("&Cancel"));
        QCOMPARE(dialog.Label3->font().family(), QStringLiteral("Arial"));
        QVERIFY(dialog.Label3->font().bold());
        QCOMPARE(dialog.Label3->font().pointSizeF(), 9.0);
        QCOMPARE(dialog.PushButton1->font().pointSizeF(), 11.25);
        QVERIFY(dialog.PushButton2->font().bold());
        QCOMPARE(dialog.ProgressBar1->geometry(), QRect(12, 31, 380, 27));
        QCOMPARE(dialog.Frame1->geometry(), QRect(8, 112, 408, 121));

        for (QLabel* readout : {dialog.lbCelkem, dialog.lbTime, dialog.lbFar, dialog.lbTimeLeft,
                                dialog.lbLeft, dialog.lbSpeed}) {
            QVERIFY(readout->text().isEmpty());
            QVERIFY(readout->alignment() & Qt::AlignRight);
            QCOMPARE(readout->palette().color(QPalette::WindowText), QColor(Qt::blue));
        }
        QVERIFY(dialog.lbLeft->isHidden());
        // The per-direction titles are longer than the designed ones and must not be cut off.
        dialog.Label4->setText("Bytes received:");
        dialog.Label7->setText("Upload Speed:");
        for (QLabel* title : {dialog.Label3, dialog.Label4, dialog.Label5, dialog.Label6, dialog.Label7,
                              dialog.Label9})
            QVERIFY2(title->width() >= title->fontMetrics().horizontalAdvance(title->text()),
                     qPrintable(title->text()));
        // Large values keep every digit: a clipped leading digit shows a wrong number.
        const QList<QPair<QLabel*, QString>> largest{
            {dialog.lbCelkem, "123 456 789.12 Kb"}, {dialog.lbFar, "123 456 789.12 Kb"},
            {dialog.lbLeft, "123 456 789.12 Kb"}, {dialog.lbSpeed, "123456.78 Kbps"},
            {dialog.lbTime, "123 456 s"}, {dialog.lbTimeLeft, "123 456 s"}};
        for (const auto& [readout, text] : largest)
            QVERIFY2(readout->width() >= readout->fontMetrics().horizontalAdvance(text), qPrintable(text));
        // ... and they stay clear of the titles to their left and of the frame's edge.
        QVERIFY(dialog.lbCelkem->geometry().right() < dialog.Label6->x());
        QVERIFY(dialog.lbSpeed->geometry().right() < dialog.Frame2->width());
        QCOMPARE(dialog.ProgressBar1->Value(), 0);
        QCOMPARE(dialog.ProgressBar2->Min(), 0);
        QCOMPARE(dialog.remoteFileHandle, HINTERNET(0));
    }

    void startCaptionUploadExactlySelectsTheUploadEngine()
    {
        // Not connected: each engine stops at its first server call with its own words.
        RecordingDialogs dialogs;
        Form1 window;
        QTemporaryDir local;
        writeLocal(local.filePath("a.txt"), "abc");

        Form2 upload(window);
        upload.PushButton1->setText("Upload");
        upload.List1 << local.filePath("a.txt");
        upload.List2 << 3;
        upload.mTotalCount = 1;
        upload.PushButton1_Click();
        QCOMPARE(dialogs.texts(), QStringList{"Can't create requested file on server"});
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Can't create requested file on server! request canceled!"));

        dialogs.clear();
        Form2 lowerCase(window);
        lowerCase.PushButton1->setText("upload");
        lowerCase.List1 << "a.txt";
        lowerCase.List2 << 3;
        downloadFolder = local.path() + "/";
        lowerCase.PushButton1_Click();
        QCOMPARE(dialogs.texts(), QStringList{"Can't open file path"});
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Can't open file path! Request canceled!"));
        QCOMPARE(lowerCase.lbCelkem->text(), QStringLiteral("0 Kb"));
        QVERIFY(!lowerCase.lbLeft->isHidden());
    }

    void emptyBatchCompletesAndCloses()
    {
        RecordingDialogs dialogs;
        Form1 window;
        Form2 dialog(window);
        dialog.show();
        dialog.PushButton1_Click();
        QCOMPARE(dialogs.texts(), QStringList{"Data transfer completed."});
        QVERIFY(!dialog.isVisible());
    }

    void everyWayOfClosingClearsTheEntries()
    {
        RecordingDialogs dialogs;
        Form1 window;
        Form2 byCancel(window);
        byCancel.show();
        byCancel.List1 << "a" << "b";
        byCancel.PushButton2_Click();
        QVERIFY(!byCancel.isVisible());
        QVERIFY(byCancel.List1.isEmpty());

        Form2 byTitleBar(window);
        byTitleBar.show();
        byTitleBar.List1 << "a";
        byTitleBar.close();
        QVERIFY(!byTitleBar.isVisible());
        QVERIFY(byTitleBar.List1.isEmpty());
        QCOMPARE(dialogs.texts(), QStringList());
    }

    void cancelWithANonRemoteHandleStillSaysCanceled()
    {
        // Whatever the handle, Cancel closes it, forgets it and says so.
        RecordingDialogs dialogs;
        Form1 window;
        Form2 dialog(window);
        dialog.show();
        dialog.remoteFileHandle = 424242;
        dialog.PushButton2_Click();
        QCOMPARE(dialog.remoteFileHandle, HINTERNET(0));
        QCOMPARE(dialogs.texts(), QStringList{"Operation Canceled."});
        QVERIFY(!dialog.isVisible());
    }

    void hoverShowsTheCustomPointerOverButtonsOnly()
    {
        Form1 window;
        Form2 dialog(window);
        dialog.show();
        auto move = [](QWidget* widget) {
            QMouseEvent event(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        };
        move(dialog.PushButton1);
        QCOMPARE(dialog.MousePointer(), 99);
        move(dialog.Frame1);
        QCOMPARE(dialog.MousePointer(), 0);
        move(dialog.PushButton2);
        QCOMPARE(dialog.MousePointer(), 99);
        move(&dialog);
        QCOMPARE(dialog.MousePointer(), 0);
        move(dialog.Frame2);
        QCOMPARE(dialog.MousePointer(), 0);

        dialog.setMousePointer(11);
        move(dialog.PushButton1);
        QCOMPARE(dialog.MousePointer(), 11);
        move(dialog.Frame2);
        QCOMPARE(dialog.MousePointer(), 11);
    }
};

QTEST_MAIN(Form2Test)
#include "test_form2.moc"
