// Opening an exported list in the program the system associates with text files.
#pragma once

#include "app/text.h"

namespace exporting {

// Asks the shell to open `path`; the result is not looked at.
void ShellOpen(app::TextView path);
// Opens the current directory followed by `fileName`, formed as the export forms it.
void ViewExportedList(const char* fileName);

// Click of 按钮4: "目录列表.txt". Click of 按钮6: "文件名列表.txt".
void Button4Click();
void Button6Click();

}  // namespace exporting
