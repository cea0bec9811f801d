#include "main_window/accessible_names.h"

#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"
#include "main_window/form1.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QComboBox>
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

// Qt names a list-only combo box after its current entry on Linux and leaves
// the name it was given to a label relation; a combo box with no label beside
// it (the drive list) would then be heard as "/". This one is heard by its
// given name, with the entry as its value and the drop-down list as its child.
class NamedComboAccessible final : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? combo()->currentText() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namingFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QComboBox")) {
        auto* combo = qobject_cast<QComboBox*>(object);
        if (combo && !combo->isEditable() && !combo->accessibleName().isEmpty())
            return new NamedComboAccessible(combo);
        return nullptr;
    }
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || className != QLatin1String("QLabel"))
        return nullptr;
    const QVariant caption = label->property(readoutCaptionProperty);
    if (!caption.isValid())
        return nullptr;
    return new ReadoutAccessible(label, qobject_cast<const QLabel*>(caption.value<QObject*>()));
}

// Before any control is first asked for: Qt keeps the interface it made first.
void installNamingFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(namingFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

// Qt makes a control's interface at its first change (filling the drive list
// is one), screen reader or not, and keeps it; dropped, the next one is made
// by the factory above.
void remakeAccessibleInterface(QObject* control)
{
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(control)));
}

} // namespace

void nameReadoutByCaption(QLabel* readout, const QLabel* caption)
{
    installNamingFactory();
    readout->setProperty(readoutCaptionProperty, QVariant::fromValue(static_cast<QObject*>(const_cast<QLabel*>(caption))));
    remakeAccessibleInterface(readout);
}

void nameMainWindowControls(Form1& window)
{
    installNamingFactory();
    // A label's buddy takes its name from the label (and focus from its mnemonic).
    window.Label1->setBuddy(window.txtHostName);
    window.Label2->setBuddy(window.txtUserName);
    window.Label3->setBuddy(window.txtPassword);
    window.Label6->setBuddy(window.txtPort);
    // A translation may have to shorten the label to fit; a screen reader
    // still says the field's name in full.
    window.txtPassword->setAccessibleName(
        QCoreApplication::translate("Form1", "Password:", "the password field's name for a screen reader, in full"));
    // A button drawn as an icon alone (the kept servers' drop-down) is heard by its tooltip.
    for (QAction* action : window.txtHostName->actions())
        if (action->text().isEmpty())
            action->setText(action->toolTip());

    window.drvLocalDrive->setAccessibleName(QCoreApplication::translate("Form1", "Local drive"));
    window.drvLocalDrive->view()->setAccessibleName(window.drvLocalDrive->accessibleName());
    remakeAccessibleInterface(window.drvLocalDrive);
    window.dirLocalDir->setAccessibleName(QCoreApplication::translate("Form1", "Local folders"));
    window.filLocalFile->setAccessibleName(QCoreApplication::translate("Form1", "Local files"));
    window.TView1->setAccessibleName(QCoreApplication::translate("Form1", "Remote folders"));
    window.ListView1->setAccessibleName(QCoreApplication::translate("Form1", "Remote files"));
}
