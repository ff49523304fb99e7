#include "export/list_viewing.h"

#include <windows.h>
#include <shellapi.h>

#include "app/texts.h"
#include "export/current_directory.h"

namespace exporting {

void ShellOpen(app::TextView path)
{
    // The shell parents any window or message of its own to this owner; the program's own main
    // window is never passed.
    HWND owner = FindWindowExA(nullptr, nullptr, nullptr, app::texts::viewerOwnerTitle);
    ShellExecuteA(owner, app::texts::openVerb, path ? path : "", nullptr, nullptr, SW_SHOWNORMAL);
}

void ViewExportedList(const char* fileName)
{
    app::Text directory = CurrentDirectory();
    app::Text path = app::ConcatTexts({directory.Get(), fileName});
    app::ReleaseText(directory);
    ShellOpen(path.Get());
}

void Button4Click() { ViewExportedList(app::texts::folderListFileName); }

void Button6Click() { ViewExportedList(app::texts::fileListFileName); }

}  // namespace exporting
