#pragma once
// The file-type pictures shared by the tree and the file list: indexes 1 to 13
// in 16 pixels, 1 to 10 also in 32 pixels.

#include <QIcon>

namespace FileTypeIcon {
constexpr int Picture = 1, WebPage = 2, Text = 3, Gif = 4, Script = 5, Audio = 6, Archive = 7,
              Video = 8, Program = 9, OtherFile = 10, RootFolder = 11, Folder = 12, OpenFolder = 13;
}

// The 16-pixel image (ImageList1) with, for 1 to 10, the 32-pixel one (ImageList4).
QIcon fileTypeIcon(int index);
// A tree node icon that shows `selectedImage` while the node is selected.
QIcon treeNodeIcon(int image, int selectedImage);
// The application icon with its 256, 128, 48 and 32 pixel images.
QIcon applicationIcon();
