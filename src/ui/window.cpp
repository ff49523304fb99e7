#include "ui/window.h"

#include "ui/controls.h"

namespace ui {

namespace {

constexpr DWORD mainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed frame

struct Binding {
    Control control;
    EventHandler handler;
};

HWND mainWindow = nullptr;
HWND focusBeforeDeactivation = nullptr;
bool classRegistered = false;
bool loopBegun = false;
Binding bindings[16] = {};
int bindingCount = 0;

const ControlDescription* FindDescription(int id) noexcept
{
    const WindowDescription& window = MainWindowDescription();
    for (int i = 0; i < window.controlCount; ++i) {
        if (static_cast<int>(window.controls[i].control) == id) {
            return &window.controls[i];
        }
    }
    return nullptr;
}

EventHandler FindHandler(Control control) noexcept
{
    for (int i = 0; i < bindingCount; ++i) {
        if (bindings[i].control == control) {
            return bindings[i].handler;
        }
    }
    return nullptr;
}

void RaiseEvent(int id, int notification) noexcept
{
    const ControlDescription* row = FindDescription(id);
    if (row == nullptr) {
        return;
    }
    const bool raised = (row->event == ControlEvent::Click && notification == BN_CLICKED) ||
                        (row->event == ControlEvent::DoubleClick && notification == LBN_DBLCLK);
    if (EventHandler handler = raised ? FindHandler(row->control) : nullptr) {
        handler();
    }
}

bool CanTakeFocus(HWND control) noexcept
{
    return control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control);
}

// The control `step` places away from `from` in the Tab cycle (wrapping), skipping controls that
// cannot take the focus. With `from` outside the cycle, the search starts before its first place.
HWND NextInTabCycle(HWND from, int step) noexcept
{
    const WindowDescription& window = MainWindowDescription();
    int places = 0;
    int current = 0;
    for (int i = 0; i < window.controlCount; ++i) {
        const ControlDescription& row = window.controls[i];
        if (row.tabPosition > 0) {
            ++places;
            if (ControlWindow(row.control) == from) {
                current = row.tabPosition;
            }
        }
    }
    if (current == 0) {
        current = step > 0 ? places : 1;
    }
    for (int tried = 0; tried < places; ++tried) {
        current = (current - 1 + step + places) % places + 1;
        for (int i = 0; i < window.controlCount; ++i) {
            const ControlDescription& row = window.controls[i];
            if (row.tabPosition == current && CanTakeFocus(ControlWindow(row.control))) {
                return ControlWindow(row.control);
            }
        }
    }
    return nullptr;
}

// Gives the focus back to the control that had it, or to the first control of the Tab cycle.
void RestoreFocus() noexcept
{
    HWND target = focusBeforeDeactivation;
    if (target == nullptr || !IsWindow(target) || !IsChild(mainWindow, target) || !CanTakeFocus(target)) {
        target = NextInTabCycle(nullptr, +1);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

bool ModifierHeld(int key) noexcept { return GetKeyState(key) < 0; }

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0) {
            RaiseEvent(LOWORD(wParam), HIWORD(wParam));
        }
        return 0;
    case WM_CTLCOLORSTATIC: {
        // The labels have no background of their own: the window's shows through.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window, focus)) {
                focusBeforeDeactivation = focus;
            }
        } else if (!HIWORD(wParam)) {  // not minimised
            RestoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_DESTROY:
        mainWindow = nullptr;
        focusBeforeDeactivation = nullptr;
        // The main window is the program's only window: its end is the end of the loop.
        if (loopBegun) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

const char* ClassToCreate() noexcept
{
#if defined(TESSALO_FAULT_NO_MAIN_WINDOW)
    // Test build only: ask for a class that was never registered, so creation fails for real.
    return "TessaloClassNeverRegistered";
#else
    return MainWindowDescription().className;
#endif
}

}  // namespace

bool LoadWindowDescriptions() noexcept
{
    if (classRegistered) {
        return true;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = MainWindowDescription().className;
    classRegistered = RegisterClassExA(&windowClass) != 0;
    return classRegistered;
}

void BindEvent(Control control, EventHandler handler) noexcept
{
    for (int i = 0; i < bindingCount; ++i) {
        if (bindings[i].control == control) {
            bindings[i].handler = handler;
            return;
        }
    }
    if (bindingCount < static_cast<int>(sizeof bindings / sizeof bindings[0])) {
        bindings[bindingCount++] = {control, handler};
    }
}

bool CreateMainWindow() noexcept
{
    const WindowDescription& description = MainWindowDescription();
    // Centred on the primary screen; integer division truncates toward zero, so a screen
    // narrower than the window gives a negative edge.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - description.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - description.height) / 2;
    HWND window = CreateWindowExA(0, ClassToCreate(), description.caption, mainWindowStyle, left, top,
                                  description.width, description.height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return false;
    }
    mainWindow = window;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    for (int i = 0; i < description.controlCount; ++i) {
        if (!CreateControl(window, description.controls[i])) {
            return false;
        }
    }
    // Every control exists before the first display.
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
}

bool MainWindowExists() noexcept { return mainWindow != nullptr && IsWindow(mainWindow); }

void BeginMessageLoop() noexcept { loopBegun = true; }

bool PreTranslateMessage(const MSG& message) noexcept
{
    if (message.message != WM_KEYDOWN || mainWindow == nullptr ||
        (message.hwnd != mainWindow && !IsChild(mainWindow, message.hwnd))) {
        return false;
    }
    const bool ctrl = ModifierHeld(VK_CONTROL);
    const bool alt = ModifierHeld(VK_MENU);
    const bool shift = ModifierHeld(VK_SHIFT);
    switch (message.wParam) {
    case VK_TAB:
        if (ctrl || alt) {
            return false;
        }
        if (HWND next = NextInTabCycle(GetFocus(), shift ? -1 : +1)) {
            SetFocus(next);
        }
        return true;
    case VK_ESCAPE:
        if (ctrl || alt || shift) {
            return false;
        }
        SendMessageA(mainWindow, WM_CLOSE, 0, 0);
        return true;
    case VK_RETURN:
        // No default button and no focus move: Enter does nothing here, whatever has the focus.
        return true;
    default:
        return false;
    }
}

void ReleaseWindowLayer() noexcept
{
    bindingCount = 0;
    if (classRegistered) {
        UnregisterClassA(MainWindowDescription().className, GetModuleHandleA(nullptr));
        classRegistered = false;
    }
}

}  // namespace ui
