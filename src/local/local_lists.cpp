#include "main_window/form1.h"

// Placeholder until this part is built.
void Form1::drvLocalDrive_Change() {}
void Form1::dirLocalDir_Change() {}
