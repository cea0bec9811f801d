#include "main_window/form1.h"

// Placeholder until this part is built.
void Form1::PushButton3_Click() {}
void Form1::PushButton8_Click() {}
