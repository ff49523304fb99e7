// The program's life cycle: start-up settings, the exit routine, the message loop and the end.
#pragma once

namespace app {

using ExitRoutine = void (*)();
using EventBinder = void (*)();

// One-time start-up: the heap for texts, OLE, the program's folder as current directory, the
// window descriptions, and the binding of control events (done by `bindEvents`).
void InitializeRuntime(EventBinder bindEvents);
void RegisterExitRoutine(ExitRoutine routine) noexcept;
// Empties the slot without running the routine (the fatal path).
void ClearExitRoutine() noexcept;
// Creates and shows the main window; ends the program through the fatal error path if it can't.
void LoadStartupWindow();
void RunMessageLoop();
// Runs the exit routine at most once and releases what the window layer and OLE hold.
void EndProgram(int exitCode) noexcept;

}  // namespace app
