#include "export/current_directory.h"

#include <windows.h>

namespace exporting {

app::Text CurrentDirectory()
{
    char buffer[MAX_PATH];
    buffer[0] = '\0';
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    // A result of MAX_PATH or more is the size a longer path would need: the buffer then holds
    // nothing usable, and the empty text stands for the failure.
    if (length == 0 || length >= MAX_PATH) {
        return app::Text::CopyOf("");
    }
    return app::Text::CopyOf(buffer, length);
}

}  // namespace exporting
