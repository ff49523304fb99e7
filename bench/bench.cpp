// One measurement per run, printed as a line of name=value pairs for bench/run.sh:
//   bench.exe floor   <folder>          two FindFirstFileA/FindNextFileA passes that only count
//   bench.exe tessalo <folder>          the real program driven as a user: choose, list, export
//   bench.exe dir     <folder> <a-d|ad> the platform's own `cmd /c dir /b /a..` into a file
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver.h"
#include "ui/main_window_description.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Floor(const std::string& folder)
{
    const std::string pattern = folder + "\\*";
    const double start = Now();
    long entries = 0;
    for (int pass = 0; pass < 2; ++pass) {
        WIN32_FIND_DATAA record;
        HANDLE search = FindFirstFileA(pattern.c_str(), &record);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            ++entries;
        } while (FindNextFileA(search, &record));
        FindClose(search);
    }
    std::printf("seconds=%.4f entries=%ld\n", Now() - start, entries / 2);
    return 0;
}

// Times a button click: a sent BM_CLICK returns once the click handler has returned.
double TimeClick(HWND button)
{
    const double start = Now();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 600000, &ignored);
    return Now() - start;
}

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int Tessalo(const std::string& folder)
{
    using ui::Control;
    e2e::Sandbox sandbox;
    e2e::App app(sandbox);
    HWND button1 = app.Control(Control::Button1);
    e2e::ClickButton(button1);
    HWND chooser = app.WaitForChooser(10000);
    if (chooser == nullptr || !app.ChooseIn(chooser, folder)) {
        std::printf("error=chooser\n");
        return 1;
    }
    // From the confirmation of the folder until the handler has returned: the chooser closes,
    // then the main window's thread lists and only answers a sent message once it is done.
    const double start = Now();
    e2e::App::ConfirmChooser(chooser);
    while (IsWindow(chooser)) {
        Sleep(1);
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(app.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
    const double listing = Now() - start;
    const int files = e2e::ListCount(app.Control(Control::ListBox1));
    const int folders = e2e::ListCount(app.Control(Control::ListBox2));

    const double exportFolders = TimeClick(app.Control(Control::Button2));
    const double exportFiles = TimeClick(app.Control(Control::Button3));
    const long long folderListBytes = FileSize(sandbox.ProgramFolder() + "\\目录列表.txt");
    const long long fileListBytes = FileSize(sandbox.ProgramFolder() + "\\文件名列表.txt");

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(app.Process(), &memory, sizeof memory);
    std::printf("seconds=%.4f files=%d folders=%d export_folders=%.4f export_files=%.4f "
                "folder_list_bytes=%lld file_list_bytes=%lld peak_mb=%.1f\n",
                listing, files, folders, exportFolders, exportFiles, folderListBytes, fileListBytes,
                static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    PostMessageA(app.Window(), WM_CLOSE, 0, 0);
    app.WaitExit(60000);
    return 0;
}

int Dir(const std::string& folder, const std::string& attributes)
{
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    const std::string output = std::string(temporary) + "tessalo-bench-dir.txt";
    std::string command = "cmd.exe /c dir /b /" + attributes + " \"" + folder + "\" > \"" + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("error=cmd\n");
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = Now() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("seconds=%.4f bytes=%lld\n", seconds, FileSize(output));
    DeleteFileA(output.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string folder = argc > 2 ? argv[2] : "";
    try {
        if (mode == "floor") {
            return Floor(folder);
        }
        if (mode == "tessalo") {
            return Tessalo(folder);
        }
        if (mode == "dir" && argc > 3) {
            return Dir(folder, argv[3]);
        }
    } catch (const std::exception& failure) {
        std::printf("error=%s\n", failure.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bench.exe floor|tessalo <folder> | dir <folder> <a-d|ad>\n");
    return 2;
}
