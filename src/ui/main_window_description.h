// The main window and its nine controls, described as data: one row per control.
#pragma once

namespace ui {

// Control identifiers double as the child-window ids. 1 and 2 are IDOK and IDCANCEL,
// which the platform treats specially, so the numbering starts well above them.
enum class Control : int {
    Button1 = 101,
    Label1 = 102,
    Label2 = 103,
    ListBox2 = 104,
    ListBox1 = 105,
    Button2 = 106,
    Button3 = 107,
    Button4 = 108,
    Button6 = 110,
};

enum class ControlKind { PushButton, ListBox, TransparentLabel };
enum class ControlEvent { None, Click, DoubleClick };

struct ControlDescription {
    Control control;
    ControlKind kind;
    int left, top, width, height;   // client-area pixels
    const char* caption;            // nullptr: no caption
    bool enabledAtStart;
    int tabPosition;                // 1-based place in the Tab cycle, 0: never takes the focus
    ControlEvent event;             // the event that has a handler, if any
};

struct WindowDescription {
    const char* className;
    const char* caption;
    int width, height;              // frame and title bar included
    const ControlDescription* controls;
    int controlCount;
};

const WindowDescription& MainWindowDescription();

inline constexpr char mainWindowClassName[] = "TessaloMainWindow";

}  // namespace ui
