// The two buttons that start a transfer: they check the connection and the
// selection, write the batch into a fresh Data Transfer dialog, show it modal,
// and refresh the view the transfer changed.

#include "local/dir_list_box.h"
#include "local/file_list_box.h"
#include "main_window/error_report.h"
#include "main_window/form1.h"
#include "main_window/user_dialogs.h"
#include "transfer/form2.h"
#include "transfer/transfer_paths.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <limits>
#include <memory>

namespace {

// The dialog is loaded by the first entry written into it.
class LazyForm2 {
public:
    explicit LazyForm2(Form1& owner) : owner_(owner) {}
    Form2& operator*()
    {
        if (!dialog_)
            dialog_ = std::make_unique<Form2>(owner_);
        return *dialog_;
    }
    Form2* operator->() { return &**this; }
    void reset() { dialog_.reset(); }

private:
    Form1& owner_;
    std::unique_ptr<Form2> dialog_;
};

qint64 localFileLength(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || file.isDir())
        throw StepFailure(Form1::tr("File not found: \"%1\"").arg(path));
    return file.size();
}

// The batch total; a sum past the 64-bit range fails the step.
void addToTotal(qint64& total, qint64 size)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(total, size, &sum))
        throw StepFailure(Form1::tr("Overflow: the batch total exceeds %1 bytes")
                              .arg(std::numeric_limits<qint64>::max()));
    total = sum;
}

QString fileCountText(int count) { return Form2::tr("File:       0 / %1").arg(count); }

} // namespace

void Form1::PushButton1_Click()
{
    StepRunner steps(this, form1Procedure("PushButton1_Click"));

    bool selected = false;
    steps.step(102, [&] {
        for (int i = 0; i < filLocalFile->ListCount(); ++i) {
            if (filLocalFile->Selected(i)) {
                selected = true;
                break;
            }
        }
    });
    if (!selected) {  // 110
        steps.step(170, [&] { userDialogs().message(this, tr("No files selected")); });
        return;
    }

    QString folder;
    steps.step(112, [&] { folder = folderPrefix(dirLocalDir->Path()); });  // 112 to 116

    if (!session.isConnected()) {  // 118
        steps.step(120, [&] { userDialogs().message(this, tr("not connected to any server")); });
        return;
    }

    int count = 0;
    qint64 total = 0;
    steps.step(126, [&] { setStatus(tr("Colecting files information:")); });

    LazyForm2 dialog(*this);
    for (int i = 0; i < filLocalFile->ListCount(); ++i) {  // 128
        if (!filLocalFile->Selected(i))  // 130
            continue;
        const QString name = filLocalFile->List(i);
        const QString entry = folder + name;
        qint64 size = 0;  // kept when the length cannot be read, so the lists stay aligned
        steps.step(132, [&] { size = localFileLength(entry); });
        steps.step(134, [&] { addToTotal(total, size); });
        steps.step(136, [&] { ++count; });
        steps.step(138, [&] { setStatus(QString::number(count) + QStringLiteral(".) ") + name); });
        steps.step(140, [&] { dialog->List1.append(entry); });
        steps.step(142, [&] { dialog->List2.append(size); });
        steps.step(144, [&] { dialog->Label2->setText(fileCountText(count)); });
        steps.step(146, [&] { dialog->mTotalCount = count; });
        steps.step(148, [&] { dialog->PushButton1->setText(Form2::tr("&Upload")); });
        steps.step(150, [&] { dialog->Label4->setText(Form2::tr("Bytes send:")); });
        steps.step(152, [&] { dialog->Label7->setText(Form2::tr("Upload Speed:")); });
    }
    steps.step(156, [&] {
        dialog->batchTotal = total;
        dialog->lbCelkem->setText(QString::number(total));
    });
    steps.step(158, [&] { dialog->exec(); });
    dialog.reset();

    if (session.isConnected()) {  // 160
        QTreeWidgetItem* node = selectedNode();  // 164
        if (node) {
            steps.step(166, [&] { currentNode = node; });
            steps.step(168, [&] { TView1_NodeClick(); });
        }
    } else {
        steps.step(162, [&] { userDialogs().message(this, tr("Not connected to any server")); });
    }
}

void Form1::PushButton4_Click()
{
    StepRunner steps(this, form1Procedure("PushButton4_Click"));

    if (!session.isConnected()) {  // 100
        steps.step(102, [&] { userDialogs().message(this, tr("Not connected to any server")); });
        return;
    }

    bool selected = false;
    steps.step(106, [&] {
        for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
            if (ListView1->topLevelItem(row)->isSelected()) {
                selected = true;
                break;
            }
        }
    });
    if (!selected) {  // 114
        steps.step(116, [&] { userDialogs().message(this, tr("No file selected")); });
        return;
    }

    QString folder;
    steps.step(118, [&] { folder = folderPrefix(dirLocalDir->Path()); });  // 118 to 122

    int count = 0;
    qint64 total = 0;
    steps.step(128, [&] { setStatus(tr("Colecting informations about files:")); });

    LazyForm2 dialog(*this);
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {  // 130
        const QTreeWidgetItem* item = ListView1->topLevelItem(row);
        if (!item->isSelected())  // 132
            continue;
        const QString name = item->text(0);
        qint64 size = 0;  // kept when the size text is not a number, so the lists stay aligned
        steps.step(134, [&] {
            size = toWholeNumber(item->text(2), 0, std::numeric_limits<qint64>::max());
        });
        steps.step(136, [&] { addToTotal(total, size); });
        steps.step(138, [&] { ++count; });
        steps.step(140, [&] {
            setStatus(QString::number(count) + QStringLiteral(".) ") + session.currentPath + name);
        });
        steps.step(142, [&] {
            dialog->List1.append(name);
            dialog->remoteNames.append(QByteArray::fromStdString(remoteNameOf(item)));
            dialog->remoteDates.append(item->data(1, RemoteDateRole).toLongLong());
        });
        steps.step(144, [&] { dialog->List2.append(size); });
        steps.step(146, [&] {
            dialog->Label2->setText(fileCountText(count));
            dialog->mTotalCount = count;
        });
        steps.step(148, [&] { dialog->PushButton1->setText(Form2::tr("&Download")); });
        steps.step(150, [&] { dialog->Label4->setText(Form2::tr("Bytes received:")); });
    }
    steps.step(154, [&] { downloadFolder = folder; });
    steps.step(156, [&] {
        dialog->batchTotal = total;
        dialog->lbCelkem->setText(QString::number(total));
    });
    steps.step(158, [&] { dialog->exec(); });
    dialog.reset();

    steps.step(160, [&] { dirLocalDir_Change(); });
}
