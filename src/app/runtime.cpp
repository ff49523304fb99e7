#include "app/runtime.h"

#include <windows.h>
#include <ole2.h>

#include "app/fatal_error.h"
#include "app/heap.h"
#include "app/program_folder.h"
#include "app/texts.h"
#include "ui/window.h"

namespace app {

namespace {

ExitRoutine exitRoutine = nullptr;

// OLE is initialised once per process on the main thread; the folder chooser runs under it.
class OleSession {
public:
    void Start() noexcept
    {
        if (!started_) {
            OleInitialize(nullptr);  // a failure changes nothing the program relies on
            started_ = true;
        }
    }
    void Stop() noexcept
    {
        if (started_) {
            OleUninitialize();
            started_ = false;
        }
    }
    ~OleSession() { Stop(); }

private:
    bool started_ = false;
};

OleSession ole;

}  // namespace

void InitializeRuntime(EventBinder bindEvents)
{
    UseProcessHeapForTexts();
    ole.Start();
    EnterProgramFolder();
    if (!ui::LoadWindowDescriptions()) {
        ReportFatalError(texts::windowDataError, 0);
    }
    bindEvents();
}

void RegisterExitRoutine(ExitRoutine routine) noexcept { exitRoutine = routine; }

void ClearExitRoutine() noexcept { exitRoutine = nullptr; }

void LoadStartupWindow()
{
    if (!ui::CreateMainWindow()) {
        ReportFatalError(texts::startupWindowError, 0);
    }
}

void RunMessageLoop()
{
    ui::BeginMessageLoop();
    if (!ui::MainWindowExists()) {
        return;
    }
    MSG message;
    // The window registers no idle work, so the loop simply waits for the next message.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!ui::PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void EndProgram(int /*exitCode*/) noexcept
{
    ExitRoutine routine = exitRoutine;
    exitRoutine = nullptr;
    if (routine != nullptr) {
        routine();
    }
    ui::ReleaseWindowLayer();
    ole.Stop();
}

}  // namespace app
