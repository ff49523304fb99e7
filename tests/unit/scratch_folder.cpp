#include "scratch_folder.h"

#include <cstdio>
#include <stdexcept>

namespace unit {

namespace {

std::runtime_error PlatformError(const std::string& what)
{
    return std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

bool IsDotEntry(const char* name) noexcept
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Wine's own exports, absent on Windows: they tell the two apart and translate paths.
using UnixNameOf = char*(__cdecl*)(const wchar_t*);
using DosNameOf = wchar_t*(__cdecl*)(const char*);

template <typename Function>
Function WineExport(const char* name) noexcept
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

std::wstring Wide(const std::string& text, UINT codePage)
{
    const int size = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// The Unix path (UTF-8) of a Windows path; Wine only.
std::string UnixPath(const std::string& windowsPath)
{
    const auto unixNameOf = WineExport<UnixNameOf>("wine_get_unix_file_name");
    char* name = unixNameOf != nullptr ? unixNameOf(Wide(windowsPath, CP_ACP).c_str()) : nullptr;
    if (name == nullptr) {
        throw std::runtime_error("no Unix path for " + windowsPath);
    }
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Starts `/bin/sh -c script arg0 arg1` through Wine. Wine does not report the end of a Unix
// process, so the caller waits for the effect instead.
void StartUnixShell(const std::string& script, const std::string& arg0, const std::string& arg1)
{
    const auto dosNameOf = WineExport<DosNameOf>("wine_get_dos_file_name");
    wchar_t* shell = dosNameOf != nullptr ? dosNameOf("/bin/sh") : nullptr;
    if (shell == nullptr) {
        throw std::runtime_error("no Windows path for /bin/sh");
    }
    // Windows quoting, which Wine undoes when it builds the Unix argument list; the arguments
    // are Unix paths, which hold no backslash or double quote.
    std::wstring command = L"\"" + std::wstring(shell) + L"\" -c \"" + Wide(script, CP_UTF8) + L"\" \"" +
                           Wide(arg0, CP_UTF8) + L"\" \"" + Wide(arg1, CP_UTF8) + L"\"";
    HeapFree(GetProcessHeap(), 0, shell);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        throw PlatformError("starting /bin/sh");
    }
    // Not closed: for a Unix program Wine 8 fills the handles with whatever was on the stack
    // (measured: hProcess 0, hThread an address), and closing them can close one of ours.
}

template <typename Condition>
bool WaitFor(Condition condition)
{
    for (int i = 0; i < 500; ++i) {
        if (condition()) {
            return true;
        }
        Sleep(20);
    }
    return condition();
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& tag)
{
    static unsigned counter = 0;
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
        throw PlatformError("GetTempPathA");
    }
    path_ = std::string(temp) + "tessalo-unit-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    MakeFolder(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) noexcept
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesA(path.c_str(), attributes & FILE_ATTRIBUTE_DIRECTORY ? FILE_ATTRIBUTE_DIRECTORY
                                                                          : FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!IsDotEntry(entry.cFileName)) {
                RemoveTree(path + "\\" + entry.cFileName);
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void MakeFolder(const std::string& path)
{
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        throw PlatformError("CreateDirectoryA " + path);
    }
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw PlatformError("CreateFileA " + path);
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        throw PlatformError("WriteFile " + path);
    }
}

void SetAttributes(const std::string& path, DWORD attributes)
{
    if (!SetFileAttributesA(path.c_str(), attributes)) {
        throw PlatformError("SetFileAttributesA " + path);
    }
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw PlatformError("opening " + path);
    }
    std::string bytes;
    char buffer[1 << 16];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path) noexcept
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> EntryNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        throw PlatformError("FindFirstFileA " + folder);
    }
    do {
        if (!IsDotEntry(entry.cFileName)) {
            names.push_back(entry.cFileName);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    for (const char byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(byte));
        out += pair;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

CurrentDirectoryGuard::CurrentDirectoryGuard(const std::string& newDirectory)
{
    char buffer[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) {
        throw PlatformError("GetCurrentDirectoryA");
    }
    previous_ = buffer;
    if (!SetCurrentDirectoryA(newDirectory.c_str())) {
        throw PlatformError("SetCurrentDirectoryA " + newDirectory);
    }
}

CurrentDirectoryGuard::~CurrentDirectoryGuard() { SetCurrentDirectoryA(previous_.c_str()); }

DriveLetter::DriveLetter(const std::string& folder)
    : folder_(folder), marker_("drive-marker-" + std::to_string(GetCurrentProcessId())),
      wine_(WineExport<UnixNameOf>("wine_get_unix_file_name") != nullptr)
{
    WriteBytes(folder_ + "\\" + marker_, "");
    for (char letter = 'T'; letter_ == 0 && letter <= 'Y'; ++letter) {
        if (TryLetter(letter)) {
            letter_ = letter;
        }
    }
    DeleteFileA((folder_ + "\\" + marker_).c_str());
    if (letter_ == 0) {
        throw std::runtime_error("no free drive letter could be pointed at " + folder);
    }
}

bool DriveLetter::TryLetter(char letter)
{
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) {
        return false;
    }
    const std::string device = root.substr(0, 2);
    if (wine_) {
        // The dosdevices folder is where C: is linked from: ".../dosdevices/c:/".
        std::string cDrive = UnixPath("C:\\");
        if (cDrive.size() < 4 || cDrive.compare(cDrive.size() - 4, 4, "/c:/") != 0) {
            throw std::runtime_error("unexpected Unix path of C: " + cDrive);
        }
        const std::string link = cDrive.substr(0, cDrive.size() - 3) + static_cast<char>(letter - 'A' + 'a') + ":";
        // No -f: a link another process made in the meantime stays, and this letter is passed over.
        StartUnixShell("ln -s -- \\\"$0\\\" \\\"$1\\\"", UnixPath(folder_), link);
        link_ = link;
    } else if (!DefineDosDeviceA(0, device.c_str(), folder_.c_str())) {
        return false;
    }
    if (WaitFor([&] { return Exists(root + marker_); })) {
        return true;
    }
    if (wine_) {
        link_.clear();  // not ours, or it never came: leave it alone
    } else {
        DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device.c_str(), folder_.c_str());
    }
    return false;
}

DriveLetter::~DriveLetter()
{
    const std::string root = Root();
    if (wine_) {
        try {
            StartUnixShell("rm -f -- \\\"$0\\\"", link_, "");
        } catch (const std::exception&) {
            return;
        }
    } else {
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, root.substr(0, 2).c_str(), nullptr);
    }
    WaitFor([&] { return GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR; });
}

}  // namespace unit
