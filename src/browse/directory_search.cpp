#include "browse/directory_search.h"

namespace browse {

namespace {

constexpr std::uint32_t filteredAttributes = 0x37;  // read-only, hidden, system, directory, archive

}  // namespace

bool PassesFilter(std::uint32_t attributes, std::uint32_t mask, std::int32_t filesOnly) noexcept
{
    if (filesOnly != 0) {
        return (attributes & directoryAttribute) == 0;
    }
    const std::uint32_t filter = mask & filteredAttributes;
    if (filter == 0) {
        return attributes == 0;
    }
    return (attributes & filter) != 0;
}

app::Text DirectorySearch(app::TextView pattern, std::uint32_t mask, std::int32_t filesOnly,
                          SearchContext& context)
{
    bool startMode = pattern != nullptr && pattern[0] != '\0';
    HANDLE handle = context.Release();
    // One record for every entry this call looks at; skipped entries cost no text.
    WIN32_FIND_DATAA record;
    bool accepted = false;
    for (;;) {
        bool fetched;
        if (startMode) {
            if (handle != nullptr) {
                FindClose(handle);
            }
            handle = FindFirstFileA(pattern, &record);
            if (handle == INVALID_HANDLE_VALUE) {
                handle = nullptr;
            }
            fetched = handle != nullptr;
            startMode = false;
        } else {
            if (handle == nullptr) {
                break;
            }
            // The end of the folder and an error look the same here: both end the search.
            fetched = FindNextFileA(handle, &record) != 0;
        }
        if (!fetched) {
            if (handle != nullptr) {
                FindClose(handle);
                handle = nullptr;
            }
            break;
        }
        if (PassesFilter(record.dwFileAttributes, mask, filesOnly)) {
            accepted = true;
            break;
        }
    }
    context.Reset(handle);
    return accepted ? app::Text::CopyOf(record.cFileName) : app::Text();
}

void CloseDirectorySearch(SearchContext& context) noexcept { context.Reset(); }

}  // namespace browse
