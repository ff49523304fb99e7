/* A hidden process that does nothing until it is killed. While it lives, Wine keeps its
   services and its desktop process, so each GUI test does not pay for starting and stopping
   them. Its hidden window is what makes Wine start the desktop; both inherit this process's
   output, which goes nowhere, rather than a test's, which CTest would wait on. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous; (void)commandLine; (void)show;
    HWND window = CreateWindowExA(0, "STATIC", "wine_idle", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    MSG message;
    while (window != NULL && GetMessageA(&message, NULL, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    Sleep(INFINITE);
    return 0;
}
