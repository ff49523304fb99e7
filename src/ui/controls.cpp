#include "ui/controls.h"

namespace ui {

namespace {

struct KindSettings {
    const char* className;
    DWORD style;
    DWORD extendedStyle;
};

KindSettings SettingsOf(ControlKind kind) noexcept
{
    switch (kind) {
    case ControlKind::PushButton:
        // Never BS_DEFPUSHBUTTON: no button of this window is the default one.
        return {"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case ControlKind::ListBox:
        // No LBS_SORT: items stay in the order they were added. LBS_NOINTEGRALHEIGHT keeps the
        // box at its given height instead of shrinking it to whole rows.
        return {"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case ControlKind::TransparentLabel:
    default:
        // SS_LEFT wraps at word boundaries; no tab stop, so it never takes the focus.
        return {"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    }
}

// The handles of the controls, kept when they are made. Looking a control up by its id
// (GetDlgItem) costs a round trip to the window server under Wine, and listing a large folder
// touches a list box once per name.
struct CreatedControl {
    Control control;
    HWND window;
};
CreatedControl created[16] = {};
int createdCount = 0;

void Remember(Control control, HWND window) noexcept
{
    for (int i = 0; i < createdCount; ++i) {
        if (created[i].control == control) {
            created[i].window = window;
            return;
        }
    }
    if (createdCount < static_cast<int>(sizeof created / sizeof created[0])) {
        created[createdCount++] = {control, window};
    }
}

// Below this many items the array is small and cheap to move.
constexpr LRESULT firstReservation = 16384;

}  // namespace

HWND ControlWindow(Control control) noexcept
{
    for (int i = 0; i < createdCount; ++i) {
        if (created[i].control == control) {
            return created[i].window;
        }
    }
    return nullptr;
}

bool CreateControl(HWND parent, const ControlDescription& description) noexcept
{
    const KindSettings settings = SettingsOf(description.kind);
    DWORD style = WS_CHILD | WS_VISIBLE | settings.style;
    if (!description.enabledAtStart) {
        style |= WS_DISABLED;
    }
    HWND control = CreateWindowExA(settings.extendedStyle, settings.className, description.caption, style,
                                   description.left, description.top, description.width, description.height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(description.control)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr) {
        return false;
    }
    Remember(description.control, control);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (description.kind == ControlKind::ListBox) {
        // Rows one pixel taller than the platform's row height for the font just set.
        const LRESULT rowHeight = SendMessageA(control, LB_GETITEMHEIGHT, 0, 0);
        if (rowHeight != LB_ERR) {
            SendMessageA(control, LB_SETITEMHEIGHT, 0, MAKELPARAM(rowHeight + 1, 0));
        }
    }
    return true;
}

void ClearList(Control list) noexcept { SendMessageA(ControlWindow(list), LB_RESETCONTENT, 0, 0); }

int AddListItem(Control list, const char* item) noexcept
{
    HWND box = ControlWindow(list);
    const LRESULT index = SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item ? item : ""));
    if (index < 0) {
        return -1;
    }
    // Wine's list box grows its item array 16 items at a time, and the heap moves a large array
    // whenever it outgrows its block: filling a million items copies the array hundreds of
    // times (13 s measured). Asking for room for as many items again at each power of two
    // makes the heap reserve a block twice the size; the list box trims its count back on the
    // next add, but the block keeps its room, so the array moves a handful of times in all.
    // Where the list box keeps what it is given, this is plain doubling.
    const LRESULT count = index + 1;
    if (count >= firstReservation && (count & (count - 1)) == 0) {
        SendMessageA(box, LB_INITSTORAGE, static_cast<WPARAM>(count), 0);
    }
    return static_cast<int>(index);
}

int ListItemCount(Control list) noexcept
{
    const LRESULT count = SendMessageA(ControlWindow(list), LB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<int>(count);
}

app::Text ListItemText(Control list, int index)
{
    HWND box = ControlWindow(list);
    if (index < 0 || index >= ListItemCount(list)) {
        return app::Text::CopyOf("");
    }
    const LRESULT length = SendMessageA(box, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) {
        return app::Text::CopyOf("");
    }
    app::Text item = app::Text::WithRoomFor(static_cast<std::size_t>(length));
    const LRESULT copied =
        SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.Buffer()));
    if (copied <= 0) {
        return app::Text::CopyOf("");
    }
    return item;
}

int SelectedIndex(Control list) noexcept
{
    const LRESULT index = SendMessageA(ControlWindow(list), LB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<int>(index);
}

void EnableButton(Control button) noexcept { EnableWindow(ControlWindow(button), TRUE); }

ListFill::ListFill(Control list) noexcept : list_(ControlWindow(list))
{
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
}

ListFill::~ListFill()
{
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace ui
