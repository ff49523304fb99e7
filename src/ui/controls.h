// The control operations: the only code that sends list-box and button messages.
#pragma once

#include <windows.h>

#include "app/text.h"
#include "ui/main_window_description.h"

namespace ui {

void ClearList(Control list) noexcept;
// Appends a copy of `item` as the last item; its index, or -1 when the list box refuses it.
int AddListItem(Control list, const char* item) noexcept;
int ListItemCount(Control list) noexcept;
// A copy of the item's text; the empty text for an index outside the list.
app::Text ListItemText(Control list, int index);
// The selected item's index, or -1.
int SelectedIndex(Control list) noexcept;
void EnableButton(Control button) noexcept;

// Keeps a list box from repainting while many items are added, and repaints it once at the end.
// A shown list box otherwise redraws after every added item, which makes a large fill slow.
class ListFill {
public:
    explicit ListFill(Control list) noexcept;
    ~ListFill();
    ListFill(const ListFill&) = delete;
    ListFill& operator=(const ListFill&) = delete;

private:
    HWND list_;
};

// For the window layer.
HWND ControlWindow(Control control) noexcept;
bool CreateControl(HWND parent, const ControlDescription& description) noexcept;

}  // namespace ui
