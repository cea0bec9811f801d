#include "main_window/form1.h"

// Placeholder until this part is built.
void Form1::list() {}
