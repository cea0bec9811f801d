#include "main_window/accessible_names.h"

#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>

namespace {

const char* const readoutCaptionProperty = "corvellReadoutCaption";

// A caption's text as heard: without a mnemonic marker.
QString spokenCaption(const QLabel& caption) { return QString(caption.text()).remove(QLatin1Char('&')).trimmed(); }

class ReadoutAccessible final : public QAccessibleWidget {
public:
    ReadoutAccessible(QLabel* readout, const QLabel* caption)
        : QAccessibleWidget(readout, QAccessible::StaticText), caption_(caption)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        const auto* readout = static_cast<const QLabel*>(object());
        if (kind != QAccessible::Name || !caption_)
            return kind == QAccessible::Value ? readout->text() : QAccessibleWidget::text(kind);
        const QString value = readout->text();
        return value.isEmpty() ? spokenCaption(*caption_) : spokenCaption(*caption_) + QLatin1Char(' ') + value;
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override
    {
        auto related = QAccessibleWidget::relations(match);
        if (caption_ && (match & QAccessible::Label))
            if (QAccessibleInterface* label = QAccessible::queryAccessibleInterface(const_cast<QLabel*>(caption_.data())))
                related.append({label, QAccessible::Label});
        return related;
    }

private:
    QPointer<const QLabel> caption_;
};

QAccessibleInterface* readoutFactory(const QString& className, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || className != QLatin1String("QLabel"))
        return nullptr;
    const QVariant caption = label->property(readoutCaptionProperty);
    if (!caption.isValid())
        return nullptr;
    return new ReadoutAccessible(label, qobject_cast<const QLabel*>(caption.value<QObject*>()));
}

} // namespace

void nameReadoutByCaption(QLabel* readout, const QLabel* caption)
{
    static const bool installed = [] {
        QAccessible::installFactory(readoutFactory);
        return true;
    }();
    Q_UNUSED(installed);
    readout->setProperty(readoutCaptionProperty, QVariant::fromValue(static_cast<QObject*>(const_cast<QLabel*>(caption))));
}

void nameMainWindowControls(Form1& window)
{
    // A label's buddy takes its name from the label (and focus from its mnemonic).
    window.Label1->setBuddy(window.txtHostName);
    window.Label2->setBuddy(window.txtUserName);
    window.Label3->setBuddy(window.txtPassword);
    window.Label6->setBuddy(window.txtPort);

    window.drvLocalDrive->setAccessibleName(QCoreApplication::translate("Form1", "Local drive"));
    window.dirLocalDir->setAccessibleName(QCoreApplication::translate("Form1", "Local folders"));
    window.filLocalFile->setAccessibleName(QCoreApplication::translate("Form1", "Local files"));
    window.TView1->setAccessibleName(QCoreApplication::translate("Form1", "Remote folders"));
    window.ListView1->setAccessibleName(QCoreApplication::translate("Form1", "Remote files"));
}
