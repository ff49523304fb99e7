// Test helper: holds a file open without sharing, as another program would.
// hold_file <path> <ready-event> <release-event>: opens <path> with share mode 0, signals
// <ready-event>, and keeps the file open until <release-event> is signalled (at most a minute,
// so a test that dies early leaves nothing running for long). Exit code 0, or 1 when the file
// or the events cannot be opened.
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        return 1;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (file == INVALID_HANDLE_VALUE || ready == nullptr || release == nullptr) {
        return 1;
    }
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}
