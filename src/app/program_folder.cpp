#include "app/program_folder.h"

#include <windows.h>

namespace app {

ProgramPath SplitProgramPath(const char* path)
{
    const char* lastSeparator = nullptr;
    // Walk character by character: IsDBCSLeadByte tells where a two-byte character starts, so its
    // second byte is never mistaken for a separator (0x5C is a valid trail byte in code page 936).
    const char* p = path;
    while (*p != '\0') {
        if (*p == '\\') {
            lastSeparator = p;
        }
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            p += 2;
        } else {
            p += 1;
        }
    }
    if (lastSeparator == nullptr) {
        return {Text::CopyOf(""), Text::CopyOf(path)};
    }
    return {Text::CopyOf(path, static_cast<std::size_t>(lastSeparator - path)),
            Text::CopyOf(lastSeparator + 1)};
}

void EnterProgramFolder()
{
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    ProgramPath split = SplitProgramPath(modulePath);
    // An empty folder makes the call fail and the start-up directory stays: nothing to report.
    // For a program in a drive root the folder is "C:" alone, which the system resolves to the
    // directory it keeps as current for that drive.
    SetCurrentDirectoryA(split.folder.CStr());
}

}  // namespace app
