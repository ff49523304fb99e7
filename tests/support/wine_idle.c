/* A hidden process that does nothing until it is killed. While it lives, Wine keeps its
   desktop process, so each GUI test does not pay for starting and stopping it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance; (void)previous; (void)commandLine; (void)show;
    Sleep(INFINITE);
    return 0;
}
