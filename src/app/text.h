// `Text`: a NUL-terminated byte string in the ANSI code page, allocated from the process heap.
// A Text owns its bytes and is move-only. "None" (no allocation) is a valid value and equals the
// empty text for every operation. Allocation never fails silently: it ends the program through
// the fatal error path.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace app {

class Text {
public:
    Text() noexcept = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    Text(Text&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = nullptr; }
    // The new value is already computed when this runs: the old value is released, then the new
    // one stored, which is the order every held text is replaced in.
    Text& operator=(Text&& other) noexcept;
    ~Text();

    // A fresh copy of `length` bytes of `source` (which need not be NUL-terminated).
    static Text CopyOf(const char* source, std::size_t length);
    // A fresh copy of a NUL-terminated string; nullptr gives an allocated empty text.
    static Text CopyOf(const char* source);
    // Room for `length` bytes and a terminator, to be filled through Buffer(); reads as empty
    // until then.
    static Text WithRoomFor(std::size_t length);

    // nullptr for none.
    const char* Get() const noexcept { return bytes_; }
    // Never nullptr: none reads as the program's constant empty text, so the result can go
    // straight to a Win32 call or a control.
    const char* CStr() const noexcept { return bytes_ ? bytes_ : ""; }
    bool IsNone() const noexcept { return bytes_ == nullptr; }
    bool IsEmpty() const noexcept { return bytes_ == nullptr || bytes_[0] == '\0'; }
    std::size_t Length() const noexcept;
    char* Buffer() noexcept { return bytes_; }

private:
    friend void ReleaseText(Text& text) noexcept;
    friend class TextBuilder;
    explicit Text(char* bytes) noexcept : bytes_(bytes) {}
    char* bytes_ = nullptr;
};

// A borrowed text for the operations that accept none directly: nullptr counts as empty.
using TextView = const char*;

// Joins one or more parts in order; none counts as empty. Always a new allocation, also when
// every part is empty.
Text ConcatTexts(std::initializer_list<TextView> parts);
inline Text ConcatTexts(TextView part) { return ConcatTexts({part}); }

// Unsigned byte order; none equals the empty text. Returns -1, 0 or 1.
int CompareTexts(TextView left, TextView right) noexcept;

// Returns the memory to the heap and leaves the text none. Releasing none does nothing.
void ReleaseText(Text& text) noexcept;

// Builds a text by appending, in time linear in its final size: the buffer grows by doubling.
class TextBuilder {
public:
    TextBuilder() noexcept = default;
    TextBuilder(const TextBuilder&) = delete;
    TextBuilder& operator=(const TextBuilder&) = delete;
    ~TextBuilder();

    void Append(const char* bytes, std::size_t length);
    void Append(TextView part);
    std::size_t Length() const noexcept { return length_; }
    const char* Data() const noexcept { return buffer_ ? buffer_ : ""; }
    // Hands over what was built (none when nothing was appended) and leaves the builder empty.
    Text Finish() noexcept;

private:
    void Reserve(std::size_t needed);
    char* buffer_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace app
