#pragma once
// Drag and drop between the local lists and the remote list and tree, and
// from the desktop's file manager (text/uri-list) onto the remote side. A
// drop starts exactly what the buttons start: files dragged from the local
// file list are uploaded as "Upload Selected File" uploads them, rows of the
// remote file list downloaded as "Download File" does; a folder dragged from
// the local folder list or the remote tree goes as a whole folder.

#include <QString>

class Form1;
class QMimeData;

// What a drag from one of the window's lists carries: which list, and for a
// folder its path (local) or tree key (remote).
inline constexpr const char* windowDragFormat = "application/x-corvell-drag";

void setupDragAndDrop(Form1& window);

// What dropping `data` on the remote side (`onRemote`) or the local side
// would start; false when it starts nothing there. `start` runs it (later,
// once the drop is over).
bool dropStarts(Form1& window, const QMimeData& data, bool onRemote, bool start);
