// The program's entry: process settings, then start-up, the message loop and the orderly end.
#include <windows.h>

#include <float.h>

#include "app/program_state.h"
#include "app/runtime.h"
#include "browse/folder_listing.h"
#include "export/list_export.h"
#include "export/list_viewing.h"
#include "ui/window.h"

namespace {

void BindEventHandlers()
{
    using ui::Control;
    ui::BindEvent(Control::Button1, browse::Button1Click);
    ui::BindEvent(Control::ListBox2, browse::ListBox2DoubleClick);
    ui::BindEvent(Control::Button2, exporting::Button2Click);
    ui::BindEvent(Control::Button3, exporting::Button3Click);
    ui::BindEvent(Control::Button4, exporting::Button4Click);
    ui::BindEvent(Control::Button6, exporting::Button6Click);
}

int StartProgram()
{
    app::InitializeRuntime(BindEventHandlers);
    _fpreset();
    app::RegisterExitRoutine(app::ReleaseProgramState);
    app::LoadStartupWindow();
    app::RunMessageLoop();
    return 0;
}

}  // namespace

// The command line is not read: arguments change nothing.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A drive without media, or a file that cannot be found, returns its error to the caller
    // instead of the system showing a box of its own.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const int result = StartProgram();
    app::EndProgram(0);
    return result;
}
