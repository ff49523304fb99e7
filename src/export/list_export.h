// Writing a list to its text file in the current directory.
#pragma once

#include "ui/main_window_description.h"

namespace exporting {

// Writes every item of `list`, each followed by CR LF, to the current directory followed by
// `fileName`, then enables `viewButton`, whatever the write did.
void ExportList(ui::Control list, const char* fileName, ui::Control viewButton);

// Click of 按钮2: 列表框2 to "目录列表.txt". Click of 按钮3: 列表框1 to "文件名列表.txt".
void Button2Click();
void Button3Click();

}  // namespace exporting
