#pragma once

#include "app/text.h"

namespace app {

struct ProgramPath {
    Text folder;    // empty when the path holds no backslash
    Text fileName;  // the whole path when it holds no backslash
};

// Splits a program path at its last backslash. A trail byte of a double-byte character of the
// ANSI code page may equal the backslash; it is part of its character, not a separator.
ProgramPath SplitProgramPath(const char* path);

// Makes the folder that holds the running program the current directory.
void EnterProgramFolder();

}  // namespace app
