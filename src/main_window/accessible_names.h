#pragma once
// What a screen reader hears for each control: the fields are named by their
// labels, the lists by what they hold, and a read-out by its caption followed
// by its value.

class Form1;
class QLabel;

// Ties the logon fields to their labels and names the local and remote lists.
void nameMainWindowControls(Form1& window);

// `readout` is heard as "<caption> <value>", read when asked, so a value an
// engine writes later is heard as it stands then.
void nameReadoutByCaption(QLabel* readout, const QLabel* caption);
