#pragma once

#include "app/text.h"

namespace exporting {

// The process's current directory, asked anew on every call, however long; the empty text when
// the platform fails. A drive root keeps its trailing backslash.
app::Text CurrentDirectory();

}  // namespace exporting
