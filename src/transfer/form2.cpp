#include "transfer/form2.h"

#include "app/appearance.h"
#include "main_window/accessible_names.h"
#include "main_window/error_report.h"
#include "main_window/keyboard_actions.h"
#include "main_window/twips_layout.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "remote/file_type_icons.h"
#include "transfer/file_line_label.h"
#include "transfer/progress_bar.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

QString downloadFolder;

namespace {

// Label text sits at the top of its box, as the classic labels draw it; centred,
// it would slip under the progress bars that overlap the file lines.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int width, int height)
{
    auto* label = makeAt<QLabel>(parent, name, left, top, width, height);
    label->setText(caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A read-out title reaches under its read-out, whose text is right-aligned, so
// the longer per-direction titles ("Bytes received:", "Upload Speed:") are not
// cut off at the designed width.
QLabel* makeTitle(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int readoutRight, int height)
{
    return makeLabel(parent, name, caption, left, top, readoutRight - left, height);
}

// A read-out: one right-aligned line of blue text, empty until an engine fills it.
QLabel* makeReadout(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* label = makeAt<QLabel>(parent, name, left, top, width, height);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(blue);
    return label;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    return makeAt<QGroupBox>(parent, name, left, top, width, height);
}

} // namespace

Form2::Form2(Form1& owner) : QDialog(&owner), owner_(owner)
{
    setObjectName(QStringLiteral("Form2"));
    buildLayout();
    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    nameControls();
    pressFocusedButtonOnEnter(this);
    Form_Load();
}

Form2::~Form2() = default;

// A screen reader hears each read-out with its caption and the bars by what
// they measure; the captions themselves stay as they are on screen.
void Form2::nameControls()
{
    nameReadoutByCaption(lbCelkem, Label3);
    nameReadoutByCaption(lbTime, Label6);
    nameReadoutByCaption(lbFar, Label4);
    nameReadoutByCaption(lbTimeLeft, Label9);
    nameReadoutByCaption(lbLeft, Label5);
    nameReadoutByCaption(lbSpeed, Label7);
    ProgressBar1->setAccessibleName(tr("Progress of this file"));
    ProgressBar2->setAccessibleName(tr("Progress of all files"));
}

void Form2::buildLayout()
{
    setWindowTitle(tr("Data Transfer"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(6360), px(4140));
    setModal(true);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSizeF(9);
    setFont(font);

    Frame2 = makeFrame(this, "Frame2", 120, 120, 6120, 1455);
    // Titles first: the read-outs are stacked above them.
    Label3 = makeTitle(Frame2, "Label3", tr("Kb to transfer:"), 180, 270, 2700, 270);
    Label6 = makeTitle(Frame2, "Label6", tr("Time elapsed:"), 3300, 270, 5595, 270);
    Label4 = makeTitle(Frame2, "Label4", tr("Bytes sent:"), 180, 600, 2700, 270);
    Label9 = makeTitle(Frame2, "Label9", tr("Time remaining:"), 3300, 600, 5595, 270);
    Label5 = makeTitle(Frame2, "Label5", tr("Bytes to send:"), 180, 975, 2700, 270);
    Label7 = makeTitle(Frame2, "Label7", tr("Speed:"), 3300, 975, 5955, 270);
    // The read-outs are wider than designed: at the designed widths a batch
    // over a gigabyte ("1 464 846.68 Kb") or a fast link ("123456.78 Kbps")
    // lost its leading digits, which shows a wrong number. The left column
    // grows to the right, the right column into the room its titles leave.
    constexpr int leftColumn = 1485, leftColumnWidth = 1695;
    constexpr int rightColumn = 4590, rightColumnWidth = 1410;
    lbCelkem = makeReadout(Frame2, "lbCelkem", leftColumn, 270, leftColumnWidth, 270);
    lbTime = makeReadout(Frame2, "lbTime", rightColumn, 270, rightColumnWidth, 270);
    lbFar = makeReadout(Frame2, "lbFar", leftColumn, 600, leftColumnWidth, 270);
    lbTimeLeft = makeReadout(Frame2, "lbTimeLeft", rightColumn, 600, rightColumnWidth, 270);
    lbLeft = makeReadout(Frame2, "lbLeft", leftColumn, 975, leftColumnWidth, 270);
    lbLeft->setVisible(false);
    lbSpeed = makeReadout(Frame2, "lbSpeed", rightColumn, 975, rightColumnWidth, 270);

    Frame1 = makeFrame(this, "Frame1", 120, 1680, 6120, 1815);
    Label1 = makeAt<FileLineLabel>(Frame1, "Label1", 510, 270, 5055, 270);
    Label1->setText(tr("Downloading file:"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ProgressBar1 = makeAt<ProgressBar>(Frame1, "ProgressBar1", 180, 467, 5700, 405);
    Label2 = makeLabel(Frame1, "Label2", tr("File:             /5"), 525, 1020, 4455, 270);
    ProgressBar2 = makeAt<ProgressBar>(Frame1, "ProgressBar2", 180, 1217, 5700, 405);

    PushButton1 = makeButtonAt(this, "PushButton1", tr("&Download"), 120, 3600, 3000, 400);
    PushButton2 = makeButtonAt(this, "PushButton2", tr("&Cancel"), 3240, 3600, 3000, 400);

    // Hover: the buttons show the custom pointer, the window and frames the default.
    setMouseTracking(true);
    for (QWidget* watched : std::initializer_list<QWidget*>{PushButton1, PushButton2, Frame1, Frame2}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
}

void Form2::Form_Load()
{
    StepRunner steps(this, form2Procedure("Form_Load"));
    steps.step(100, [&] {
        applyClassicColours(this);
        letFramesShowThroughLabels();
    });
    steps.step(102, [&] { setWindowIcon(applicationIcon()); });
    const QString pointerFile = pointerFilePath();
    bool present = false;
    steps.step(104, [&] { present = filePresent(pointerFile); });
    if (present)
        steps.step(106, [&] { pointer_.setCustom(loadCursorFile(pointerFile)); });
    steps.step(110, [&] { ProgressBar1->setValue(std::int64_t(0)); });
    steps.step(112, [&] { ProgressBar1->setMin(0); });
    steps.step(116, [&] { ProgressBar2->setValue(std::int64_t(0)); });
    steps.step(118, [&] { ProgressBar2->setMin(0); });
}

void Form2::letFramesShowThroughLabels()
{
    // The style shades a frame's inside a little off the button face, so
    // labels filling their boxes with button face would show as patches.
    // Unfilled they look as where frame and label share one colour, and
    // overlapping titles and read-outs do not paint over each other.
    for (QLabel* label : findChildren<QLabel*>())
        label->setAutoFillBackground(false);
}

void Form2::PushButton1_Click()
{
    StepRunner steps(this, form2Procedure("PushButton1_Click"));
    bool upload = false;
    // Told apart by the caption as shown, so the mnemonic marker does not count.
    const auto shown = [](QString caption) { return caption.remove(QLatin1Char('&')); };
    steps.step(100, [&] { upload = shown(PushButton1->text()) == shown(tr("&Upload")); });
    if (upload)
        steps.step(102, [&] { Upload(); });
    else
        steps.step(104, [&] { Download(); });
}

void Form2::PushButton2_Click()
{
    StepRunner steps(this, form2Procedure("PushButton2_Click"));
    bool open = false;
    steps.step(100, [&] { open = remoteFileHandle != 0; });
    if (open) {
        steps.step(102, [&] {
            const HINTERNET handle = remoteFileHandle;
            remoteFileHandle = 0;
            (void)InternetCloseHandle(handle);
        });
        steps.step(104, [&] { userDialogs().message(this, tr("Operation Canceled.")); });
    }
    steps.step(106, [&] { reject(); });
}

void Form2::Form_QueryUnload()
{
    StepRunner steps(this, form2Procedure("Form_QueryUnload"));
    steps.step(100, [&] { List1.clear(); });
}

void Form2::done(int result)
{
    Form_QueryUnload();
    // A stopped engine may have left a remote file open; closing the dialog by
    // its title bar closes it too, quietly, rather than until the process ends.
    closeLeftoverRemoteFile();
    QDialog::done(result);
}

void Form2::closeLeftoverRemoteFile()
{
    if (remoteFileHandle == 0)
        return;
    const HINTERNET handle = remoteFileHandle;
    remoteFileHandle = 0;
    (void)InternetCloseHandle(handle);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter)
        pointer_.hover(static_cast<QWidget*>(watched));
    else if (event->type() == QEvent::MouseMove)
        pointer_.hover(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event)->position().toPoint());
    return QDialog::eventFilter(watched, event);
}

void Form2::mouseMoveEvent(QMouseEvent* event)
{
    pointer_.hover(this, event->position().toPoint());
    QDialog::mouseMoveEvent(event);
}

