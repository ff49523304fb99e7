// The fatal runtime error: a box, then the end of the process with exit code -1.
#pragma once

#include <cstddef>

namespace app {

// Writes the box text for a message and an error code into `buffer` (always NUL-terminated,
// cut if it does not fit). It allocates nothing, so it works when memory has run out.
void FormatFatalErrorText(const char* message, int code, char* buffer, std::size_t size) noexcept;

// The message for a failed allocation of `bytes` bytes.
void FormatAllocationMessage(std::size_t bytes, char* buffer, std::size_t size) noexcept;

// Shows the box, skips the exit routine, runs the end processing and exits with -1.
[[noreturn]] void ReportFatalError(const char* message, int code) noexcept;
[[noreturn]] void ReportAllocationFailure(std::size_t bytes) noexcept;

}  // namespace app
