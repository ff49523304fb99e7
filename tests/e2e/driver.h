// Drives the real program from a separate test process: starts it in a throw-away folder,
// finds its windows, reads its controls and sends it input, the way a user would.
// Texts are handled as code page 936 bytes, the program's own encoding.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wine_host.h"

namespace e2e {

// ---- texts -------------------------------------------------------------------------------
std::string ToAnsi(std::wstring_view text);     // UTF-16 to code page 936
std::wstring ToWide(std::string_view text);     // code page 936 to UTF-16
// Code page 936 to UTF-8, for messages that a person reads in a Linux log.
std::string Readable(std::string_view text);

// ---- waiting -----------------------------------------------------------------------------
// Polls until done() is true or the time is up; returns the last answer of done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000, int stepMs = 10);
// Lets the given time pass, for checks that something does NOT happen.
void Pause(int ms);

// ---- handles -----------------------------------------------------------------------------
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }
    HANDLE Get() const { return handle_; }
    HANDLE Release();
    void Reset(HANDLE handle = nullptr);
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = nullptr;
};

// ---- files -------------------------------------------------------------------------------
std::string TestProgramFolder();                 // folder of the running test program, no trailing "\"
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);           // empty when missing
void WriteFileBytes(const std::string& path, std::string_view bytes);   // throws on failure
void RemoveTree(const std::string& path);        // best effort

// A fresh folder with a copy of the program in bin\ and an empty cwd\ to start it from,
// so that "next to the program" and "the working directory" are different places.
// Removed (best effort) on destruction.
class Sandbox {
public:
    // programName: a file next to the test program. root: where to make the folder
    // (empty: the Windows temp folder).
    explicit Sandbox(const std::string& programName = "tessalo.exe", const std::string& root = {});
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& Root() const { return root_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& ProgramPath() const { return programPath_; }
    const std::string& WorkingFolder() const { return workingFolder_; }
    // Makes a sub-folder (and its parents) of the root; returns its path.
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string root_, programFolder_, programPath_, workingFolder_;
};

// ---- windows -----------------------------------------------------------------------------
struct Place {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Place&) const = default;
};

std::string Text(HWND window);                   // WM_GETTEXT, code page 936
std::string ClassName(HWND window);
bool Enabled(HWND window);
bool Visible(HWND window);
LONG_PTR Style(HWND window);
LONG_PTR ExStyle(HWND window);
Place ScreenPlace(HWND window);                  // GetWindowRect as left, top, width, height
Place PlaceIn(HWND window, HWND parent);         // window's rectangle in parent's client area
std::vector<HWND> Children(HWND parent);         // direct children only
DWORD ProcessOf(HWND window);
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className = nullptr);
// Answers a WM_NULL within the time: the thread is back in its message loop.
bool Responsive(HWND window, int timeoutMs = 2000);

// List boxes; items as code page 936 bytes.
int ListCount(HWND list);
int ListSelection(HWND list);                    // -1: none
std::string ListItem(HWND list, int index);
std::vector<std::string> ListItems(HWND list);

// ---- input -------------------------------------------------------------------------------
// Key press with modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU), sent with SendInput to the
// foreground window.
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {});
void MoveMouse(POINT screen);
void ClickAt(POINT screen);
void DoubleClickAt(POINT screen);
POINT CentreOf(HWND window);                      // screen coordinates
// The middle of the window's close box, found by hit-testing its title bar (nothing: none).
std::optional<POINT> CloseBoxPoint(HWND window);
// A real double-click on the item's rectangle; scrolls the item into view first.
void DoubleClickListItem(HWND list, int index);
// Posted, not sent: a handler that opens a modal window would otherwise block the caller.
void ClickButton(HWND button);
// WM_COMMAND(LBN_DBLCLK) posted to the list's parent, as the list box itself would send it.
void PostDoubleClickNotification(HWND list);

// ---- the program -------------------------------------------------------------------------
struct MessageBoxContent {
    HWND box = nullptr;
    std::string caption, text;
};

class App {
public:
    static constexpr const char* mainWindowClass = "TessaloMainWindow";

    // Starts the program from the sandbox's working folder and, when waitForWindow, waits for
    // its main window (throws std::runtime_error when it does not come).
    explicit App(const Sandbox& sandbox, bool waitForWindow = true, int timeoutMs = 15000);
    App(const std::string& programPath, const std::string& workingFolder, bool waitForWindow = true,
        int timeoutMs = 15000);
    ~App();                                       // ends the process if it still runs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND Window() const { return window_; }
    HWND Control(int id) const;
    template <class Id> HWND Control(Id id) const { return Control(static_cast<int>(id)); }
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_.Get(); }
    bool Running() const;
    // The exit code once the process has ended within the time; nothing otherwise.
    std::optional<DWORD> WaitExit(int timeoutMs = 10000) const;
    void Kill();

    // The control that has the keyboard focus in the program's GUI thread (nullptr: none).
    HWND Focus() const;
    // Makes the main window the foreground window, so that SendInput reaches it.
    bool BringToFront() const;

    // Message boxes: a #32770 window of the process with a static of id 0xFFFF.
    std::optional<MessageBoxContent> WaitForMessageBox(int timeoutMs = 5000) const;
    std::vector<HWND> DialogWindows() const;      // every #32770 window of the process
    static void DismissMessageBox(HWND box);      // OK, then WM_CLOSE if it stays

    // Folder chooser: a #32770 window of the process with a folder tree.
    HWND WaitForChooser(int timeoutMs = 5000) const;
    HWND Chooser() const;                         // nullptr: none shown
    // Selects the folder (code page 936 path) in the chooser's tree; up to three tries.
    bool ChooseIn(HWND chooser, const std::string& path) const;
    std::string ChooserCaretText(HWND chooser) const;   // the tree's selected item
    static void ConfirmChooser(HWND chooser);     // posts a click on OK
    static void CancelChooser(HWND chooser);      // posts a click on Cancel
    // Waits for 按钮1's handler to end: chooser gone and the main window answering again.
    // (A message box shown by the handler also answers: look for one before relying on this.)
    bool WaitListed(int timeoutMs = 10000) const;
    // Whole round: click the button, choose the path, OK, wait for the listing.
    bool ChooseFolder(HWND button, const std::string& path, int timeoutMs = 10000) const;

private:
    void Start(const std::string& programPath, const std::string& workingFolder, bool waitForWindow,
               int timeoutMs);

    UniqueHandle process_, thread_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// ---- the machine under Wine ------------------------------------------------------------
using testhost::DriveLetter;
using testhost::StartUnixShell;
using testhost::UnderWine;
using testhost::UnixPathOf;

// Saves the whole screen as a PNG file (Windows path) with ImageMagick's `import`; false when
// no picture came within the time.
bool SaveScreenshot(const std::string& pngPath, int timeoutMs = 20000);

// ---- Notepad (the viewer the shell opens for .txt files) --------------------------------
std::vector<HWND> NotepadWindows();
// A Notepad window whose title contains the text (code page 936) within the time.
HWND WaitForNotepad(const std::string& titlePart, int timeoutMs = 10000);
bool CloseWindowAndWait(HWND window, int timeoutMs = 5000);
// Closes on destruction every Notepad window that was not there at construction.
class NotepadGuard {
public:
    NotepadGuard();
    ~NotepadGuard();
    NotepadGuard(const NotepadGuard&) = delete;
    NotepadGuard& operator=(const NotepadGuard&) = delete;

private:
    std::vector<HWND> before_;
};

}  // namespace e2e
