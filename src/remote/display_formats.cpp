#include "remote/display_formats.h"

// Placeholder until this part is built.
short ImgNumber(const QString&) { return 10; }
QString DateText(const SYSTEMTIME&) { return {}; }
