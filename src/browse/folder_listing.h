// Listing a folder into the two lists, and the two handlers that choose and walk folders.
#pragma once

#include "browse/directory_search.h"

namespace browse {

// Lists the folder named by the current folder path: its files into 列表框1, its sub-folders
// into 列表框2. The caller clears the lists first.
void ListCurrentFolder(SearchContext& context);

// Click of 按钮1: choose a folder, list it, enable the export buttons.
void Button1Click();
// Double-click of 列表框2: walk into the selected folder (item 0: from the drive root) and list it.
void ListBox2DoubleClick();

}  // namespace browse
