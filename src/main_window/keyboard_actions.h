#pragma once
// What the keyboard adds to the windows, so nothing needs the mouse: Enter
// presses the focused button, the remote file list answers Delete, F2, Enter
// and the menu key with the buttons' own actions, and the main window takes
// the keyboard back whenever a box or the Data Transfer dialog closes.

class Form1;
class QMenu;
class QWidget;

// Sets up the main window's keys; called once the window is built.
void installMainWindowKeys(Form1& window);
// Enter presses whichever of `window`'s push buttons has the focus.
void pressFocusedButtonOnEnter(QWidget* window);
// The remote file list's context menu: the remote buttons' actions, enabled
// as the buttons are. Owned by the caller.
QMenu* remoteFileMenu(Form1& window);
