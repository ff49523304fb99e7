#include "driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <stdexcept>

namespace e2e {

namespace {

constexpr UINT codePage = 936;
constexpr int messageBoxTextId = 0xFFFF;

std::string LastErrorText(const char* what)
{
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Wraps an enumeration callback around a std::function.
BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto& found = *reinterpret_cast<std::function<void(HWND)>*>(data);
    found(window);
    return TRUE;
}

void EnumTopLevel(const std::function<void(HWND)>& visit)
{
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&visit));
}

void EnumDescendants(HWND parent, const std::function<void(HWND)>& visit)
{
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&visit));
}

HWND FindDescendant(HWND parent, const char* className)
{
    HWND found = nullptr;
    EnumDescendants(parent, [&](HWND child) {
        if (found == nullptr && ClassName(child) == className) found = child;
    });
    return found;
}

INPUT KeyInput(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return input;
}

void Send(std::vector<INPUT> inputs)
{
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Memory in another process, freed on destruction.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, SIZE_T size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
        if (address_ == nullptr) throw std::runtime_error(LastErrorText("VirtualAllocEx"));
    }
    ~RemoteMemory() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    void* Address() const { return address_; }
    void Write(const void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        SIZE_T written = 0;
        if (!WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &written) ||
            written != size)
            throw std::runtime_error(LastErrorText("WriteProcessMemory"));
    }
    void Read(void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        SIZE_T read = 0;
        if (!ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &read) ||
            read != size)
            throw std::runtime_error(LastErrorText("ReadProcessMemory"));
    }

private:
    HANDLE process_;
    void* address_;
};

bool IsChooser(HWND window)
{
    return ClassName(window) == "#32770" && FindDescendant(window, "SysTreeView32") != nullptr;
}

bool IsMessageBox(HWND window)
{
    return ClassName(window) == "#32770" && GetDlgItem(window, messageBoxTextId) != nullptr &&
           FindDescendant(window, "SysTreeView32") == nullptr;
}

}  // namespace

// ---- texts -------------------------------------------------------------------------------

std::string ToAnsi(std::wstring_view text)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring ToWide(std::string_view text) { return testhost::Widen(std::string(text), codePage); }

std::string Readable(std::string_view text)
{
    const std::wstring wide = ToWide(text);
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

// ---- waiting -----------------------------------------------------------------------------

bool WaitFor(const std::function<bool()>& done, int timeoutMs, int stepMs)
{
    // Not <chrono>: its "µs" has no code page 936 form, and the build's narrow literals are 936.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return done();
        Sleep(static_cast<DWORD>(std::max(stepMs, 1)));
    }
}

void Pause(int ms)
{
    Sleep(static_cast<DWORD>(std::max(ms, 0)));
}

// ---- handles -----------------------------------------------------------------------------

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept
{
    if (this != &other) Reset(other.Release());
    return *this;
}

HANDLE UniqueHandle::Release()
{
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

void UniqueHandle::Reset(HANDLE handle)
{
    if (*this) CloseHandle(handle_);
    handle_ = handle;
}

// ---- files -------------------------------------------------------------------------------

std::string TestProgramFolder()
{
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    const auto cut = folder.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : folder.substr(0, cut);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ReadFileBytes(const std::string& path)
{
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error(LastErrorText(("CreateFileA " + path).c_str()));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error(LastErrorText(("WriteFile " + path).c_str()));
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

namespace {

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        const std::string part = path.substr(0, at);
        if (!FolderExists(part) && !CreateDirectoryA(part.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error(LastErrorText(("CreateDirectoryA " + part).c_str()));
        if (at == std::string::npos) break;
    }
}

}  // namespace

Sandbox::Sandbox(const std::string& programName, const std::string& root)
{
    std::string base = root;
    if (base.empty()) {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        base = temp;
    }
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();

    static std::atomic<unsigned> counter{0};
    for (int attempt = 0;; ++attempt) {
        root_ = base + "\\tessalo-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        MakeFolders(base);
        if (CreateDirectoryA(root_.c_str(), nullptr)) break;
        if (attempt > 100) throw std::runtime_error(LastErrorText(("CreateDirectoryA " + root_).c_str()));
    }
    programFolder_ = MakeFolder("bin");
    workingFolder_ = MakeFolder("cwd");
    programPath_ = programFolder_ + "\\" + programName;
    const std::string source = TestProgramFolder() + "\\" + programName;
    if (!CopyFileA(source.c_str(), programPath_.c_str(), FALSE)) {
        const std::string message = LastErrorText(("copying " + source).c_str());
        RemoveTree(root_);
        throw std::runtime_error(message + " (is the program built next to the test program?)");
    }
}

Sandbox::~Sandbox()
{
    // A process that just ended may hold its file a moment longer.
    WaitFor([&] {
        RemoveTree(root_);
        return !FolderExists(root_);
    }, 2000, 50);
}

std::string Sandbox::MakeFolder(const std::string& relative) const
{
    const std::string path = root_ + "\\" + relative;
    MakeFolders(path);
    return path;
}

// ---- windows -----------------------------------------------------------------------------

std::string Text(HWND window)
{
    // Across processes the length may be counted in bytes of the program's code page: ample.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring buffer(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const auto copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(buffer.size()))));
    return ToAnsi(buffer);
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<size_t>(std::max(length, 0)));
}

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }
LONG_PTR Style(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }
LONG_PTR ExStyle(HWND window) { return GetWindowLongPtrA(window, GWL_EXSTYLE); }

Place ScreenPlace(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Place PlaceIn(HWND window, HWND parent)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className)
{
    std::vector<HWND> found;
    EnumTopLevel([&](HWND window) {
        if (ProcessOf(window) == processId && (className == nullptr || ClassName(window) == className))
            found.push_back(window);
    });
    return found;
}

bool Responsive(HWND window, int timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeoutMs),
                               &result) != 0;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
int ListSelection(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

std::string ListItem(HWND list, int index)
{
    // Across processes Wine answers in UTF-16 even where the length counts the program's bytes.
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const auto copied =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied == LB_ERR) return {};
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return ToAnsi(buffer);
}

std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> items;
    const int count = ListCount(list);
    for (int i = 0; i < count; ++i) items.push_back(ListItem(list, i));
    return items;
}

// ---- input -------------------------------------------------------------------------------

void PressKey(WORD key, std::initializer_list<WORD> modifiers)
{
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) inputs.push_back(KeyInput(*it, true));
    Send(inputs);
}

void MoveMouse(POINT screen)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Absolute coordinates run from 0 to 65535 over the primary screen; round up so that the
    // system's scaling back lands on the very pixel.
    const auto dx = static_cast<LONG>((static_cast<long long>(screen.x) * 65536 + width - 1) / width);
    const auto dy = static_cast<LONG>((static_cast<long long>(screen.y) * 65536 + height - 1) / height);
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy)});
    const bool arrived = WaitFor([&] {
        POINT at{};
        GetCursorPos(&at);
        return at.x == screen.x && at.y == screen.y;
    }, 500, 5);
    if (!arrived) SetCursorPos(screen.x, screen.y);
}

void ClickAt(POINT screen)
{
    MoveMouse(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)});
}

void DoubleClickAt(POINT screen)
{
    MoveMouse(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP), MouseInput(MOUSEEVENTF_LEFTDOWN),
          MouseInput(MOUSEEVENTF_LEFTUP)});
}

POINT CentreOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::optional<POINT> CloseBoxPoint(HWND window)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    const LONG height = std::min<LONG>(64, frame.bottom - frame.top);
    const LONG width = std::min<LONG>(96, frame.right - frame.left);
    for (LONG y = frame.top; y < frame.top + height; y += 2)
        for (LONG x = frame.right - 1; x >= frame.right - width; x -= 2) {
            const auto hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            if (hit != HTCLOSE) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    if (box.left > box.right) return std::nullopt;
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void DoubleClickListItem(HWND list, int index)
{
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        throw std::runtime_error("LB_GETITEMRECT failed for item " + std::to_string(index));
    POINT point{item.left + std::min<LONG>(8, (item.right - item.left) / 2), (item.top + item.bottom) / 2};
    ClientToScreen(list, &point);
    DoubleClickAt(point);
}

void ClickButton(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

void PostDoubleClickNotification(HWND list)
{
    const auto id = static_cast<WORD>(GetDlgCtrlID(list));
    PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

// ---- the program -------------------------------------------------------------------------

App::App(const Sandbox& sandbox, bool waitForWindow, int timeoutMs)
{
    Start(sandbox.ProgramPath(), sandbox.WorkingFolder(), waitForWindow, timeoutMs);
}

App::App(const std::string& programPath, const std::string& workingFolder, bool waitForWindow, int timeoutMs)
{
    Start(programPath, workingFolder, waitForWindow, timeoutMs);
}

void App::Start(const std::string& programPath, const std::string& workingFolder, bool waitForWindow,
                int timeoutMs)
{
    std::string commandLine = "\"" + programPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info))
        throw std::runtime_error(LastErrorText(("CreateProcessA " + programPath).c_str()));
    process_.Reset(info.hProcess);
    thread_.Reset(info.hThread);
    processId_ = info.dwProcessId;
    if (!waitForWindow) return;

    WaitFor([&] {
        const auto windows = TopLevelWindows(processId_, mainWindowClass);
        window_ = windows.empty() ? nullptr : windows.front();
        return (window_ != nullptr && Visible(window_)) || !Running();
    }, timeoutMs, 10);
    if (window_ == nullptr || !Visible(window_) || !Responsive(window_, timeoutMs)) {
        const bool ended = !Running();
        Kill();
        throw std::runtime_error(ended ? "the program ended without showing its main window"
                                       : "the program's main window did not appear in time");
    }
}

App::~App()
{
    Kill();
}

HWND App::Control(int id) const
{
    return GetDlgItem(window_, id);
}

bool App::Running() const
{
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> App::WaitExit(int timeoutMs) const
{
    if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

void App::Kill()
{
    if (Running()) {
        TerminateProcess(process_.Get(), 0xDEAD);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

HWND App::Focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

bool App::BringToFront() const
{
    if (GetForegroundWindow() == window_) return true;
    SetForegroundWindow(window_);
    return WaitFor([&] { return GetForegroundWindow() == window_; }, 2000);
}

std::vector<HWND> App::DialogWindows() const
{
    return TopLevelWindows(processId_, "#32770");
}

std::optional<MessageBoxContent> App::WaitForMessageBox(int timeoutMs) const
{
    HWND box = nullptr;
    WaitFor([&] {
        for (HWND window : DialogWindows())
            if (IsMessageBox(window) && Visible(window)) box = window;
        return box != nullptr;
    }, timeoutMs);
    if (box == nullptr) return std::nullopt;
    return MessageBoxContent{box, Text(box), Text(GetDlgItem(box, messageBoxTextId))};
}

void App::DismissMessageBox(HWND box)
{
    ClickButton(GetDlgItem(box, IDOK));
    if (!WaitFor([&] { return !IsWindow(box); }, 2000)) PostMessageW(box, WM_CLOSE, 0, 0);
}

HWND App::Chooser() const
{
    for (HWND window : DialogWindows())
        if (IsChooser(window)) return window;
    return nullptr;
}

HWND App::WaitForChooser(int timeoutMs) const
{
    HWND chooser = nullptr;
    WaitFor([&] {
        chooser = Chooser();
        return chooser != nullptr && Visible(chooser);
    }, timeoutMs);
    return chooser;
}

std::string App::ChooserCaretText(HWND chooser) const
{
    HWND tree = FindDescendant(chooser, "SysTreeView32");
    const auto caret = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (caret == 0) return {};
    constexpr int capacity = 520;
    RemoteMemory memory(process_.Get(), sizeof(TVITEMW) + capacity * sizeof(wchar_t));
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = reinterpret_cast<HTREEITEM>(caret);
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory.Address()) + sizeof(TVITEMW));
    item.cchTextMax = capacity;
    memory.Write(&item, sizeof item);
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(memory.Address()))) return {};
    std::wstring text(capacity, L'\0');
    memory.Read(text.data(), capacity * sizeof(wchar_t), sizeof(TVITEMW));
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    return ToAnsi(text);
}

bool App::ChooseIn(HWND chooser, const std::string& path) const
{
    HWND tree = FindDescendant(chooser, "SysTreeView32");
    if (tree == nullptr) return false;
    const std::wstring wide = ToWide(path);
    RemoteMemory memory(process_.Get(), (wide.size() + 1) * sizeof(wchar_t));
    memory.Write(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));

    // The last component of the path, as the tree shows it; a drive root shows more than "C:".
    std::string last = path;
    while (last.size() > 3 && last.back() == '\\') last.pop_back();
    const auto cut = last.find_last_of('\\');
    if (cut != std::string::npos && cut + 1 < last.size()) last = last.substr(cut + 1);

    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto before = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(memory.Address()));
        const bool moved = WaitFor([&] {
            const auto caret = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
            if (caret == 0) return false;
            if (caret != before) return true;
            // Already there from an earlier choice: the caret does not move, its text tells.
            const std::string text = ChooserCaretText(chooser);
            return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text.c_str(), -1, last.c_str(), -1) ==
                   CSTR_EQUAL;
        }, 1000);
        if (moved) return true;
    }
    return false;
}

void App::ConfirmChooser(HWND chooser)
{
    ClickButton(GetDlgItem(chooser, IDOK));
}

void App::CancelChooser(HWND chooser)
{
    HWND cancel = GetDlgItem(chooser, IDCANCEL);
    if (cancel != nullptr)
        ClickButton(cancel);
    else
        PostMessageW(chooser, WM_CLOSE, 0, 0);
}

bool App::WaitListed(int timeoutMs) const
{
    return WaitFor([&] { return Chooser() == nullptr; }, timeoutMs) && Responsive(window_, timeoutMs);
}

bool App::ChooseFolder(HWND button, const std::string& path, int timeoutMs) const
{
    ClickButton(button);
    HWND chooser = WaitForChooser(timeoutMs);
    if (chooser == nullptr) return false;
    if (!ChooseIn(chooser, path)) {
        CancelChooser(chooser);
        WaitListed(timeoutMs);
        return false;
    }
    ConfirmChooser(chooser);
    return WaitListed(timeoutMs);
}

// ---- screenshots -------------------------------------------------------------------------

bool SaveScreenshot(const std::string& pngPath, int timeoutMs)
{
    const auto cut = pngPath.find_last_of('\\');
    if (cut != std::string::npos) MakeFolders(pngPath.substr(0, cut));
    DeleteFileA(pngPath.c_str());
    const std::string target = UnixPathOf(pngPath);
    if (target.empty()) return false;
    // Written under another name first, so that the file appears only when it is whole.
    StartUnixShell("import -window root \"png:$0.part\" && mv -f \"$0.part\" \"$0\"", {target});
    return WaitFor([&] { return FileExists(pngPath); }, timeoutMs, 50);
}

// ---- Notepad -----------------------------------------------------------------------------

std::vector<HWND> NotepadWindows()
{
    std::vector<HWND> found;
    EnumTopLevel([&](HWND window) {
        if (ClassName(window) == "Notepad") found.push_back(window);
    });
    return found;
}

HWND WaitForNotepad(const std::string& titlePart, int timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : NotepadWindows())
            if (Visible(window) && Text(window).find(titlePart) != std::string::npos) found = window;
        return found != nullptr;
    }, timeoutMs, 20);
    return found;
}

bool CloseWindowAndWait(HWND window, int timeoutMs)
{
    PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitFor([&] { return !IsWindow(window); }, timeoutMs);
}

NotepadGuard::NotepadGuard() : before_(NotepadWindows()) {}

NotepadGuard::~NotepadGuard()
{
    for (HWND window : NotepadWindows())
        if (std::find(before_.begin(), before_.end(), window) == before_.end()) CloseWindowAndWait(window);
}

}  // namespace e2e
