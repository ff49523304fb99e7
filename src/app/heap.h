#pragma once

#include <windows.h>

namespace app {

// The heap every text lives in. Start-up fixes it to the process heap; code that runs before
// (tests, for instance) gets the process heap as well.
void UseProcessHeapForTexts() noexcept;
HANDLE TextHeap() noexcept;

}  // namespace app
