#pragma once
// The status line. A text wider than the line, typically one naming a deep
// remote path, shows with "…" in its middle, so both what happened and the
// end of the path stay visible. text() keeps the whole text.

#include <QLabel>

class StatusLine final : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // What the line shows at its present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};
