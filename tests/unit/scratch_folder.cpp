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

}  // namespace unit
