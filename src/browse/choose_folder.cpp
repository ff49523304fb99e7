#include "browse/choose_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "app/handles.h"

namespace browse {

namespace {

// The item list the chooser returns belongs to the shell's allocator.
struct ItemListTraits {
    using Handle = PIDLIST_ABSOLUTE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle items) noexcept
    {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator))) {
            app::ComRef<IMalloc> owner(allocator);
            owner.Get()->Free(items);
        }
    }
};
using ItemList = app::UniqueHandle<ItemListTraits>;

// Disables the program's top-level windows for as long as it lives, then gives each back the
// state it had, and the foreground and the activation back to the windows that had them.
// SHBrowseForFolder disables only its owner; any other window of the program would still take
// input while the chooser runs its own modal loop on this thread.
class ModalScope {
public:
    ModalScope() noexcept
    {
        HWND active = GetActiveWindow();
        owner_ = IsWindow(active) ? active : nullptr;
        foreground_ = GetForegroundWindow();
        EnumThreadWindows(GetCurrentThreadId(), &ModalScope::Remember, reinterpret_cast<LPARAM>(this));
        for (int i = 0; i < count_; ++i) {
            EnableWindow(windows_[i].window, FALSE);
        }
    }
    ~ModalScope()
    {
        for (int i = 0; i < count_; ++i) {
            EnableWindow(windows_[i].window, windows_[i].wasEnabled);
        }
        if (foreground_ != nullptr && IsWindow(foreground_)) {
            SetForegroundWindow(foreground_);
        }
        if (owner_ != nullptr && IsWindow(owner_)) {
            SetActiveWindow(owner_);
        }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    HWND Owner() const noexcept { return owner_; }

private:
    // Hidden windows (the thread's input-method window, for one) take no input and are left as
    // they are: disabling them could stop typing into the chooser itself.
    static BOOL CALLBACK Remember(HWND window, LPARAM self) noexcept
    {
        auto* scope = reinterpret_cast<ModalScope*>(self);
        if (window != nullptr && GetParent(window) == nullptr && IsWindowVisible(window) &&
            scope->count_ < maxWindows) {
            scope->windows_[scope->count_++] = {window, IsWindowEnabled(window) ? TRUE : FALSE};
        }
        return TRUE;
    }

    static constexpr int maxWindows = 32;
    struct Remembered {
        HWND window;
        BOOL wasEnabled;
    };
    HWND owner_ = nullptr;
    HWND foreground_ = nullptr;
    Remembered windows_[maxWindows] = {};
    int count_ = 0;
};

}  // namespace

app::Text ChooseFolder(app::TextView title, bool includeFiles)
{
    app::Text result;
    char path[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.pszDisplayName = path;
    info.lpszTitle = title;
    // Windows shows an edit box for typing a name; some shells ignore the flag.
    info.ulFlags = includeFiles ? (BIF_EDITBOX | BIF_BROWSEINCLUDEFILES) : BIF_EDITBOX;

    ItemList chosen;
    {
        ModalScope modal;
        info.hwndOwner = modal.Owner();
        chosen.Reset(SHBrowseForFolderA(&info));
    }
    if (chosen.IsValid()) {
        path[0] = '\0';
        if (SHGetPathFromIDListA(chosen.Get(), path)) {
            result = app::Text::CopyOf(path);
        }
    }
    return result;
}

}  // namespace browse
