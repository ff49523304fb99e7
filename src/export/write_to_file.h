#pragma once

#include <cstddef>
#include <initializer_list>

#include "app/text.h"

namespace exporting {

struct Bytes {
    const char* data;
    std::size_t size;
};

// Replaces the file at `path` with the contents, one after the other. The new content goes to a
// temporary file beside the target first, opened without sharing, written, flushed and closed;
// only then does it take the target's place in one step. So the target is either the complete
// new file or, when anything fails (no right to write, a read-only or busy target, a full disk),
// left exactly as it was, and the temporary file is removed. Returns whether the file was
// replaced. Reports nothing to the user.
bool WriteToFile(app::TextView path, std::initializer_list<Bytes> contents);

}  // namespace exporting
