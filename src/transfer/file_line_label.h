#pragma once
// The Data Transfer dialog's current-file line: "Uploading file: <path> /
// <size> byte.". A deep local path is wider than the line, and cut at its end
// it would hide the file name and the size, the two things the user watches.
// The label keeps the whole text, shows it with the middle of the folder part
// left out where it does not fit, and gives the whole text as its tooltip.

#include <QLabel>

class FileLineLabel : public QLabel {
    Q_OBJECT
public:
    explicit FileLineLabel(QWidget* parent = nullptr);

    // text() becomes lead + path + tail.
    void setFileLine(const QString& lead, const QString& path, const QString& tail);
    // The text as drawn at the label's present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString lead_;
    QString path_;
    QString tail_;
};
