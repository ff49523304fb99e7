#include "export/current_directory.h"

#include <windows.h>

namespace exporting {

app::Text CurrentDirectory()
{
    char buffer[MAX_PATH];
    buffer[0] = '\0';
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (length == 0) {
        return app::Text::CopyOf("");
    }
    if (length < MAX_PATH) {
        return app::Text::CopyOf(buffer, length);
    }
    // The answer is the size a longer path needs (a deep folder of double-byte names passes 260
    // bytes soon). The empty text would turn the export path into "\name", the root of the
    // drive: ask again with room for the whole path instead.
    app::Text directory = app::Text::WithRoomFor(length);
    const DWORD copied = GetCurrentDirectoryA(length + 1, directory.Buffer());
    if (copied == 0 || copied > length) {
        return app::Text::CopyOf("");
    }
    return directory;
}

}  // namespace exporting
