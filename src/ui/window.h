// The window layer: builds the main window from its description, delivers control events to
// the handlers bound to them, and applies the window's keyboard rules in the message loop.
#pragma once

#include <windows.h>

#include "ui/main_window_description.h"

namespace ui {

using EventHandler = void (*)();

// Registers the window class. False when the description cannot be used.
bool LoadWindowDescriptions() noexcept;
// Binds the event of `control` named in the description to `handler`.
void BindEvent(Control control, EventHandler handler) noexcept;

bool CreateMainWindow() noexcept;
bool MainWindowExists() noexcept;

// From now on, destroying the last window posts the quit request.
void BeginMessageLoop() noexcept;
// The window's keyboard rules (Tab, Shift+Tab, Esc). True when the message was consumed.
bool PreTranslateMessage(const MSG& message) noexcept;
// Releases the class registration and whatever else the layer holds.
void ReleaseWindowLayer() noexcept;

}  // namespace ui
