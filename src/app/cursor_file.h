#pragma once
// The reader of "HAND-M.CUR"-style Windows cursor files. The file is one a
// user can drop next to the program, so every length and offset in it is
// checked before use; the reader never needs a display.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>

struct CursorPicture {
    QImage image;     // ARGB32, at most 256 x 256
    QPoint hotSpot;   // inside the image
};

// The largest image of the file's bytes and its hot spot. Throws StepFailure
// naming `path` when the bytes are no cursor this reader can draw.
CursorPicture readCursorFile(const QByteArray& bytes, const QString& path);
