// The state the event handlers share for the whole run: three texts, none at start.
#pragma once

#include "app/text.h"

namespace app {

struct ProgramState {
    Text currentFolderPath;  // the folder the two lists show
    Text lastFileName;       // the file search's last result; empty after a listing
    Text lastFolderName;     // the folder search's last result; empty after a listing
};

ProgramState& State() noexcept;

// The exit routine: releases the three texts, in field order.
void ReleaseProgramState() noexcept;

}  // namespace app
