#include "remote/file_type_icons.h"

// Placeholder until this part is built.
QIcon fileTypeIcon(int) { return {}; }
QIcon treeNodeIcon(int, int) { return {}; }
QIcon applicationIcon() { return {}; }
