#include "main_window/window_pointer.h"

#include <QPushButton>
#include <QWidget>

void WindowPointer::setMode(int mode)
{
    mode_ = mode;
    switch (mode) {
    case vbHourglass: window_->setCursor(Qt::WaitCursor); break;
    case vbCustom: window_->setCursor(custom_); break;
    default: window_->unsetCursor(); break;
    }
}

void WindowPointer::hover(QWidget* receiver, std::optional<QPoint> position)
{
    if (mode_ == vbHourglass)
        return;
    // A move a button ignores travels on to its frame or window; what counts is
    // the widget under the pointer, not the one the event reached.
    QWidget* under = position ? receiver->childAt(*position) : nullptr;
    if (!under)
        under = receiver;
    bool overButton = false;
    for (QWidget* widget = under; widget && widget != window_; widget = widget->parentWidget())
        overButton = overButton || qobject_cast<QPushButton*>(widget) != nullptr;
    setMode(overButton ? vbCustom : vbDefault);
}
