#include "main_window/form1.h"

// Placeholder until this part is built.
void Form1::PushButton9_Click() {}
void Form1::ListView1_BeforeLabelEdit() {}
void Form1::ListView1_AfterLabelEdit(int&, const QString&) {}
void Form1::setupRenameEditing() {}
