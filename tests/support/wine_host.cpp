#include "wine_host.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <stdexcept>

namespace testhost {

namespace {

// Wine's own exports, absent on Windows.
using UnixNameOf = char*(__cdecl*)(const wchar_t*);
using DosNameOf = wchar_t*(__cdecl*)(const char*);

template <class Function>
Function WineExport(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// One argument quoted the way the C runtime (and Wine, for a Unix program) splits a command line.
std::wstring Quoted(const std::wstring& argument)
{
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// Wine's mount manager: defines (or, with no Unix path, removes) a drive letter. Wine 8's layout.
struct WineUnixDrive {
    ULONG size, type, fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset, deviceOffset, labelOffset;
};

bool DefineWineDrive(char letter, const std::string& unixPath)
{
    std::vector<char> buffer(sizeof(WineUnixDrive) + (unixPath.empty() ? 0 : unixPath.size() + 1), '\0');
    auto* drive = reinterpret_cast<WineUnixDrive*>(buffer.data());
    drive->size = static_cast<ULONG>(buffer.size());
    drive->type = unixPath.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
    drive->letter = static_cast<WCHAR>(letter - 'A' + 'a');
    if (!unixPath.empty()) {
        drive->mountPointOffset = sizeof(WineUnixDrive);
        std::copy(unixPath.begin(), unixPath.end(), buffer.begin() + sizeof(WineUnixDrive));
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    constexpr DWORD defineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    DWORD returned = 0;
    const bool defined = DeviceIoControl(manager, defineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                         nullptr, 0, &returned, nullptr) != FALSE;
    CloseHandle(manager);
    return defined;
}

}  // namespace

std::wstring Widen(const std::string& text, unsigned codePage)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), size);
    return result;
}

bool UnderWine()
{
    return WineExport<UnixNameOf>("wine_get_unix_file_name") != nullptr;
}

std::string UnixPathOf(const std::string& windowsPath)
{
    const auto unixNameOf = WineExport<UnixNameOf>("wine_get_unix_file_name");
    if (unixNameOf == nullptr) return {};
    char* name = unixNameOf(Widen(windowsPath, CP_ACP).c_str());
    if (name == nullptr) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

void StartUnixShell(const std::string& script, const std::vector<std::string>& arguments)
{
    const auto dosNameOf = WineExport<DosNameOf>("wine_get_dos_file_name");
    wchar_t* shell = dosNameOf != nullptr ? dosNameOf("/bin/sh") : nullptr;
    if (shell == nullptr) throw std::runtime_error("no Windows path for /bin/sh (not under Wine?)");
    // The Unix process gets this process's own standard streams; under CTest that is a pipe the
    // run waits on until every holder has closed it. The command lets go of them at once.
    const std::string detached = "exec </dev/null >/dev/null 2>&1; " + script;
    std::wstring command = Quoted(shell) + L" -c " + Quoted(Widen(detached, CP_UTF8));
    HeapFree(GetProcessHeap(), 0, shell);
    for (const auto& argument : arguments) command += L" " + Quoted(Widen(argument, CP_UTF8));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("starting /bin/sh failed, error " + std::to_string(GetLastError()));
    // Not closed: for a Unix program Wine 8 fills the handles (and ids) with stack garbage
    // (measured: hProcess 0, hThread an address), and closing them can close one of ours.
}

DriveLetter::DriveLetter(const std::string& folder) : folder_(folder)
{
    const std::string unixPath = UnixPathOf(folder);
    for (char letter = 'T'; letter_ == 0 && letter <= 'Y'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
        const bool defined = UnderWine() ? DefineWineDrive(letter, unixPath)
                                         : DefineDosDeviceA(0, root.substr(0, 2).c_str(), folder.c_str()) != FALSE;
        if (defined) letter_ = letter;
    }
    if (letter_ == 0) throw std::runtime_error("no free drive letter could be pointed at " + folder);
}

DriveLetter::~DriveLetter()
{
    if (UnderWine())
        DefineWineDrive(letter_, {});
    else
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, Root().substr(0, 2).c_str(), nullptr);
}

}  // namespace testhost
