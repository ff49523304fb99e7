#include "app/fatal_error.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/runtime.h"
#include "app/texts.h"

namespace app {

namespace {

// Appends to a fixed buffer, cutting what does not fit.
class FixedWriter {
public:
    FixedWriter(char* buffer, std::size_t size) noexcept : buffer_(buffer), size_(size)
    {
        if (size_ != 0) {
            buffer_[0] = '\0';
        }
    }
    void Append(const char* part) noexcept
    {
        while (*part != '\0' && used_ + 1 < size_) {
            buffer_[used_++] = *part++;
        }
        if (size_ != 0) {
            buffer_[used_] = '\0';
        }
    }

private:
    char* buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

}  // namespace

void FormatFatalErrorText(const char* message, int code, char* buffer, std::size_t size) noexcept
{
    FixedWriter writer(buffer, size);
    writer.Append(texts::errorBoxHeading);
    if (code != 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", code);
        writer.Append(texts::errorCodePrefix);
        writer.Append(number);
        writer.Append("\r\n\r\n");
    }
    if (message != nullptr && message[0] != '\0') {
        writer.Append(texts::errorMessagePrefix);
        writer.Append(message);
        writer.Append("\r\n");
    }
}

void FormatAllocationMessage(std::size_t bytes, char* buffer, std::size_t size) noexcept
{
    // The message constant carries a %d for the number of bytes; sizes above INT_MAX must still
    // read as the unsigned amount asked for, so the number is put in place by hand.
    const char* format = texts::allocationErrorFormat;
    const char* slot = std::strstr(format, "%d");
    char number[24];
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(bytes));
    std::snprintf(buffer, size, "%.*s%s%s", static_cast<int>(slot - format), format, number,
                  slot + 2);
}

void ReportFatalError(const char* message, int code) noexcept
{
    char boxText[1024];
    FormatFatalErrorText(message, code, boxText, sizeof boxText);
    MessageBoxA(nullptr, boxText, texts::errorBoxCaption, MB_OK | MB_ICONERROR);
    ClearExitRoutine();
    EndProgram(-1);
    ExitProcess(static_cast<UINT>(-1));
}

void ReportAllocationFailure(std::size_t bytes) noexcept
{
    char message[128];
    FormatAllocationMessage(bytes, message, sizeof message);
    ReportFatalError(message, 0);
}

}  // namespace app
