#include "main_window/keyboard_actions.h"

#include "main_window/form1.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

bool plain(const QKeyEvent* key) { return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier; }

// The windows' buttons are never default buttons, which is what lets Qt's own
// Enter reach a button; this gives Enter to the one that has the focus.
class EnterPressesButton final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && isEnter(key) && plain(key) && button->isEnabled()) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void showRemoteFileMenu(Form1& window, const QPoint& at)
{
    QMenu* menu = remoteFileMenu(window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
}

// Where a keyboard-opened menu appears: at the current row, or the list's corner.
QPoint keyboardMenuPlace(const QTreeWidget* list)
{
    const QRect row = list->visualItemRect(list->currentItem());
    const QPoint local = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
    return list->viewport()->mapToGlobal(local);
}

class RemoteFileKeys final : public QObject {
public:
    explicit RemoteFileKeys(Form1& window) : QObject(&window), window_(window) {}

protected:
    // A name being edited in place keeps its keys (the editor is the row's widget).
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || watched != window_.ListView1
            || window_.ListView1->indexWidget(window_.ListView1->currentIndex()))
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        QPushButton* button = nullptr;
        if (key->key() == Qt::Key_Delete && plain(key))
            button = window_.PushButton5;
        else if (key->key() == Qt::Key_F2 && plain(key))
            button = window_.PushButton9;
        else if (isEnter(key) && plain(key))
            button = window_.PushButton4;
        if (button) {
            // The same press the mouse gives: the button checks the connection
            // and the selection and shows the same boxes.
            button->click();
            return true;
        }
        const bool menuKey = key->key() == Qt::Key_Menu && plain(key);
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (menuKey || shiftF10) {
            showRemoteFileMenu(window_, keyboardMenuPlace(window_.ListView1));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Form1& window_;
};

// A window that closes while it has the keyboard gives it to nothing when no
// window manager steps in (a bare X display) or when its parent had already
// gone (a box shown by the Data Transfer dialog that the dialog outlived):
// the keyboard then does nothing until the mouse is used. Whenever a dialog
// or box closes and no window is active, the main window takes it back. On a
// bare X display nothing gives the main window the keyboard when it first
// shows either, so it takes it then too.
class FocusReturns final : public QObject {
public:
    explicit FocusReturns(Form1& window) : QObject(&window), window_(&window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool dialogHidden = event->type() == QEvent::Hide && widget && widget->isWindow()
                                  && widget != window_ && widget->windowType() == Qt::Dialog;
        const bool mainShown = event->type() == QEvent::Show && widget && widget == window_;
        // A window just shown is on top already: it needs no raising.
        if (dialogHidden || mainShown)
            QTimer::singleShot(0, this, [this, raise = dialogHidden] {
                if (window_ && window_->isVisible() && !QApplication::activeWindow()
                    && !QApplication::activeModalWidget()) {
                    window_->activateWindow();
                    if (raise)
                        window_->raise();
                }
            });
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<Form1> window_;
};

} // namespace

void pressFocusedButtonOnEnter(QWidget* window)
{
    auto* filter = new EnterPressesButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}

QMenu* remoteFileMenu(Form1& window)
{
    auto* menu = new QMenu(&window);
    for (QPushButton* button : {window.PushButton4, window.PushButton5, window.PushButton9, window.PushButton6,
                                window.PushButton7}) {
        QAction* action = menu->addAction(button->text());
        action->setEnabled(button->isEnabled());
        // Pressed once the menu has done with the key or click that chose it:
        // a button's boxes and listing run the event loop, which deletes the
        // closed menu while it was still handling that key or click.
        QObject::connect(action, &QAction::triggered, button, &QPushButton::click, Qt::QueuedConnection);
    }
    return menu;
}

void installMainWindowKeys(Form1& window)
{
    pressFocusedButtonOnEnter(&window);
    window.ListView1->installEventFilter(new RemoteFileKeys(window));
    window.ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(window.ListView1, &QWidget::customContextMenuRequested, &window,
                     [&window](const QPoint& at) {
                         showRemoteFileMenu(window, window.ListView1->viewport()->mapToGlobal(at));
                     });
    qApp->installEventFilter(new FocusReturns(window));
}
