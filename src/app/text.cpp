#include "app/text.h"

#include <windows.h>

#include <cstring>

#include "app/fatal_error.h"
#include "app/heap.h"

namespace app {

namespace {

HANDLE textHeap = nullptr;

char* Allocate(std::size_t bytes)
{
    void* memory = HeapAlloc(TextHeap(), 0, bytes);
    if (memory == nullptr) {
        ReportAllocationFailure(bytes);
    }
    return static_cast<char*>(memory);
}

std::size_t LengthOf(TextView part) noexcept { return part ? std::strlen(part) : 0; }

}  // namespace

void UseProcessHeapForTexts() noexcept { textHeap = GetProcessHeap(); }

HANDLE TextHeap() noexcept { return textHeap != nullptr ? textHeap : GetProcessHeap(); }

Text& Text::operator=(Text&& other) noexcept
{
    if (this != &other) {
        char* incoming = other.bytes_;
        other.bytes_ = nullptr;
        ReleaseText(*this);
        bytes_ = incoming;
    }
    return *this;
}

Text::~Text() { ReleaseText(*this); }

Text Text::CopyOf(const char* source, std::size_t length)
{
    char* bytes = Allocate(length + 1);
    if (length != 0) {
        std::memcpy(bytes, source, length);
    }
    bytes[length] = '\0';
    return Text(bytes);
}

Text Text::WithRoomFor(std::size_t length)
{
    char* bytes = Allocate(length + 1);
    bytes[0] = '\0';
    bytes[length] = '\0';
    return Text(bytes);
}

Text Text::CopyOf(const char* source) { return CopyOf(source ? source : "", LengthOf(source)); }

std::size_t Text::Length() const noexcept { return LengthOf(bytes_); }

Text ConcatTexts(std::initializer_list<TextView> parts)
{
    std::size_t total = 0;
    for (TextView part : parts) {
        total += LengthOf(part);
    }
    Text joined = Text::WithRoomFor(total);
    char* end = joined.Buffer();
    for (TextView part : parts) {
        const std::size_t length = LengthOf(part);
        if (length != 0) {
            std::memcpy(end, part, length);
            end += length;
        }
    }
    *end = '\0';
    return joined;
}

int CompareTexts(TextView left, TextView right) noexcept
{
    const auto* a = reinterpret_cast<const unsigned char*>(left ? left : "");
    const auto* b = reinterpret_cast<const unsigned char*>(right ? right : "");
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    if (*a == *b) {
        return 0;
    }
    return *a < *b ? -1 : 1;
}

void ReleaseText(Text& text) noexcept
{
    if (text.bytes_ != nullptr) {
        HeapFree(TextHeap(), 0, text.bytes_);
        text.bytes_ = nullptr;
    }
}

TextBuilder::~TextBuilder()
{
    if (buffer_ != nullptr) {
        HeapFree(TextHeap(), 0, buffer_);
    }
}

void TextBuilder::Reserve(std::size_t needed)
{
    if (needed <= capacity_ && buffer_ != nullptr) {
        return;
    }
    std::size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < needed) {
        capacity *= 2;
    }
    void* grown = buffer_ == nullptr ? HeapAlloc(TextHeap(), 0, capacity)
                                     : HeapReAlloc(TextHeap(), 0, buffer_, capacity);
    if (grown == nullptr) {
        ReportAllocationFailure(capacity);
    }
    buffer_ = static_cast<char*>(grown);
    capacity_ = capacity;
}

void TextBuilder::Append(const char* bytes, std::size_t length)
{
    Reserve(length_ + length + 1);
    if (length != 0) {
        std::memcpy(buffer_ + length_, bytes, length);
    }
    length_ += length;
    buffer_[length_] = '\0';
}

void TextBuilder::Append(TextView part) { Append(part, LengthOf(part)); }

Text TextBuilder::Finish() noexcept
{
    Text result(buffer_);
    buffer_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return result;
}

}  // namespace app
