// One name per call from a folder's entries that pass an attribute filter.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/handles.h"
#include "app/text.h"

namespace browse {

// An open enumeration is a FindFirstFile handle; none is the null handle. A failed
// FindFirstFileA (INVALID_HANDLE_VALUE) is never stored: it becomes none at once.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { FindClose(handle); }
};
using SearchContext = app::UniqueHandle<FindHandleTraits>;

inline constexpr std::uint32_t directoryAttribute = FILE_ATTRIBUTE_DIRECTORY;  // 0x10

// Whether an entry with `attributes` passes: files-only accepts every entry without the
// directory bit; otherwise the mask keeps its read-only, hidden, system, directory and archive
// bits (0x37), and a mask left with none of them accepts only entries whose attribute word is 0.
bool PassesFilter(std::uint32_t attributes, std::uint32_t mask, std::int32_t filesOnly) noexcept;

// With a non-empty pattern: closes any search open in `context` and starts a new one. With the
// empty text (or none): continues the search in `context`. Returns the next accepted entry's
// name, or the empty text once the folder holds no further accepted entry; the search is then
// closed and `context` is none. One FindFirstFileA/FindNextFileA call per entry looked at.
app::Text DirectorySearch(app::TextView pattern, std::uint32_t mask, std::int32_t filesOnly,
                          SearchContext& context);

// Closes a search that is still open; a context that is none is left alone.
void CloseDirectorySearch(SearchContext& context) noexcept;

}  // namespace browse
