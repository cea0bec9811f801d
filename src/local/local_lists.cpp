#include "main_window/form1.h"

#include "local/dir_list_box.h"
#include "local/drive_list_box.h"
#include "local/file_list_box.h"
#include "main_window/user_dialogs.h"

void Form1::drvLocalDrive_Change()
{
    // The folder list starts at the top of the picked volume. On failure the
    // drive list keeps the failed drive; the folder and file lists stay put.
    if (!dirLocalDir->setPath(drvLocalDrive->Drive()))
        userDialogs().message(this, tr("Error accessing selected drive."));
}

void Form1::dirLocalDir_Change()
{
    filLocalFile->setPath(dirLocalDir->Path());
}
