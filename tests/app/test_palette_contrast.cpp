// Every text both windows and the boxes show reads on what it is drawn on,
// under a light and a dark desktop palette, with and without a skin.

#include "app/appearance.h"
#include "app/palette.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "support/recording_dialogs.h"
#include "transfer/form2.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Roughly the palette of KDE's Breeze Dark and qt6ct's "darker" scheme; its
// selection and disabled text fall short of the contrast on their own.
QPalette darkDesktop()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x3c));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x70, 0x70, 0x70));
    return dark;
}

// The text colour and surface pairs a widget draws with.
QList<QPair<QPalette::ColorRole, QPalette::ColorRole>> drawnPairs(const QWidget* widget)
{
    if (qobject_cast<const QAbstractItemView*>(widget))
        return {{QPalette::Text, QPalette::Base}, {QPalette::HighlightedText, QPalette::Highlight}};
    if (qobject_cast<const QLineEdit*>(widget))
        return {{QPalette::Text, QPalette::Base}};
    if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget))
        return {{QPalette::ButtonText, QPalette::Button}};
    if (qobject_cast<const QLabel*>(widget) || qobject_cast<const QGroupBox*>(widget))
        return {{QPalette::WindowText, QPalette::Window}};
    return {};
}

// "name: ratio" for every visible text under `root` that does not read.
QStringList unreadable(const QWidget* root)
{
    QStringList faults;
    QList<const QWidget*> widgets{root};
    for (const QWidget* child : root->findChildren<QWidget*>())
        widgets << child;
    for (const QWidget* widget : widgets) {
        if (!widget->isVisible())
            continue;
        const QPalette::ColorGroup group = widget->isEnabled() ? QPalette::Active : QPalette::Disabled;
        for (const auto& [text, surface] : drawnPairs(widget)) {
            const double ratio = contrastRatio(widget->palette().color(group, text),
                                               widget->palette().color(group, surface));
            if (ratio < readableContrast)
                faults << QStringLiteral("%1/%2 %3: %4")
                              .arg(QLatin1String(widget->metaObject()->className()), widget->objectName())
                              .arg(int(text))
                              .arg(ratio, 0, 'f', 2);
        }
    }
    return faults;
}

} // namespace

class PaletteContrastTest : public QObject {
    Q_OBJECT
private slots:
    void init() { desktopPalette = QApplication::palette(); }
    void cleanup()
    {
        QApplication::setPalette(desktopPalette);
        setProgramFolderForTesting(QString());
    }

    void everyTextReads_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("skin");
        QTest::newRow("light desktop") << false << false;
        QTest::newRow("dark desktop") << true << false;
        QTest::newRow("dark desktop, skinned") << true << true;
    }
    void everyTextReads()
    {
        QFETCH(bool, dark);
        QFETCH(bool, skin);
        QTemporaryDir folder;
        setProgramFolderForTesting(folder.path());
        if (skin) {
            QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("x")));
            QFile file(folder.filePath(QStringLiteral("x/o.cjs")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("QPushButton { font-weight: bold; }\n");
        }
        if (dark)
            QApplication::setPalette(darkDesktop());
        useReadablePalette();
        RecordingDialogs dialogs;

        Form1 window;
        window.show();
        QTreeWidgetItem* row = new QTreeWidgetItem(window.ListView1, {QStringLiteral("a.txt")});
        row->setSelected(true);
        QCOMPARE(unreadable(&window), QStringList());
        // The designed white stays white, the text on it dark.
        QCOMPARE(window.txtHostName->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(window.lblStatus->palette().color(QPalette::Window), QColor(Qt::white));
        // As drawn: a style sheet of its own would draw a box with the desktop's colours.
        for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
            const QImage drawn = box->grab().toImage();
            QCOMPARE(drawn.pixelColor(drawn.width() - 4, drawn.height() / 2), QColor(Qt::white));
        }

        window.Frame3->setEnabled(true);
        QCOMPARE(unreadable(&window), QStringList());

        Form2 transfer(window);
        transfer.lbCelkem->setText(QStringLiteral("12.00 Kb"));
        transfer.show();
        QCOMPARE(unreadable(&transfer), QStringList());
        transfer.PushButton1->setEnabled(false);
        QCOMPARE(unreadable(&transfer), QStringList());
    }

    void boxesRead()
    {
        QApplication::setPalette(darkDesktop());
        useReadablePalette();
        QStringList faults{QStringLiteral("no box shown")};
        QTimer::singleShot(0, this, [&faults] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                faults = unreadable(box);
                box->close();
            }
        });
        userDialogs().message(nullptr, QStringLiteral("Data transfer completed."));
        QCOMPARE(faults, QStringList());
    }

private:
    QPalette desktopPalette;
};

QTEST_MAIN(PaletteContrastTest)
#include "test_palette_contrast.moc"
