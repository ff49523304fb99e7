#pragma once

#include "app/text.h"

namespace browse {

// Shows the shell's folder chooser, modal to the program's windows, with `title` above its
// folder tree. Returns the chosen folder's full path, or the empty text when the user cancels or
// picks an item that has no file-system path.
app::Text ChooseFolder(app::TextView title, bool includeFiles = false);

}  // namespace browse
