// Move-only owners of platform handles. Each kind of handle states its own invalid value and
// its own close function; the owner closes a valid handle exactly once.
#pragma once

#include <windows.h>

namespace app {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
    // Gives up ownership without closing.
    Handle Release() noexcept
    {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // Closes the held handle (if any) and takes `handle`.
    void Reset(Handle handle = Traits::Invalid()) noexcept
    {
        if (handle_ != Traits::Invalid()) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Invalid();
};

// CreateFile reports failure with INVALID_HANDLE_VALUE, not with null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// A COM interface pointer that owns one reference.
template <typename Interface>
struct ComTraits {
    using Handle = Interface*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle pointer) noexcept { pointer->Release(); }
};
template <typename Interface>
using ComRef = UniqueHandle<ComTraits<Interface>>;

}  // namespace app
