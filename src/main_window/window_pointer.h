#pragma once
// A window's mouse pointer: default, hourglass or custom, and the hover rule
// both windows share.

#include <QCursor>
#include <QPoint>

#include <optional>

class QWidget;

// The window's mouse pointer modes.
enum MousePointerMode { vbDefault = 0, vbHourglass = 11, vbCustom = 99 };

class WindowPointer {
public:
    explicit WindowPointer(QWidget* window) : window_(window) {}

    int mode() const { return mode_; }
    void setMode(int mode);
    const QCursor& custom() const { return custom_; }
    void setCustom(const QCursor& cursor) { custom_ = cursor; }

    // The pointer moved over `receiver` (at `position`, when known): custom over
    // a push button, default elsewhere, and never replacing the hourglass.
    void hover(QWidget* receiver, std::optional<QPoint> position = std::nullopt);

private:
    QWidget* window_;
    int mode_ = vbDefault;
    QCursor custom_{Qt::ArrowCursor};
};
