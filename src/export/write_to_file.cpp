#include "export/write_to_file.h"

#include <windows.h>

#include <cstdio>

#include "app/handles.h"

namespace exporting {

namespace {

// WriteFile takes a 32-bit count; larger contents go in pieces of this size.
constexpr std::size_t largestWrite = 1u << 30;

// Beside the target, so the final rename stays within one volume; the process id keeps two
// copies of the program that share a folder from writing into each other's temporary file.
app::Text TemporaryPathFor(app::TextView path)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
    return app::ConcatTexts({path, suffix});
}

bool WriteAll(HANDLE file, Bytes content) noexcept
{
    while (content.size != 0) {
        const DWORD asked = static_cast<DWORD>(content.size < largestWrite ? content.size : largestWrite);
        DWORD written = 0;
        if (!WriteFile(file, content.data, asked, &written, nullptr) || written != asked) {
            return false;
        }
        content.data += written;
        content.size -= written;
    }
    return true;
}

bool WriteNewFile(const char* path, std::initializer_list<Bytes> contents) noexcept
{
    app::UniqueFile file(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        return false;
    }
    for (const Bytes& content : contents) {
        if (!WriteAll(file.Get(), content)) {
            return false;
        }
    }
    // The data must be on disk before the rename makes it the target: otherwise a crash could
    // leave a renamed but empty file where the complete old one was.
    if (!FlushFileBuffers(file.Get())) {
        return false;
    }
    return CloseHandle(file.Release()) != FALSE;
}

}  // namespace

bool WriteToFile(app::TextView path, std::initializer_list<Bytes> contents)
{
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    app::Text temporary = TemporaryPathFor(path);
    if (WriteNewFile(temporary.Get(), contents) &&
        MoveFileExA(temporary.Get(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileA(temporary.Get());
    return false;
}

}  // namespace exporting
