#pragma once

#include "app/text.h"

namespace exporting {

// The process's current directory, asked anew on every call; the empty text when the platform
// fails or the path does not fit 260 bytes. A drive root keeps its trailing backslash.
app::Text CurrentDirectory();

}  // namespace exporting
