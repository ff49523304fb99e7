// Real folders and files for the unit tests: made with the Win32 calls under the temporary
// folder, removed again (hidden, system and read-only entries included) when the test ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wine_host.h"

namespace unit {

// A new, empty folder under GetTempPathA, removed with everything in it on destruction.
class ScratchFolder {
public:
    // `tag` becomes part of the folder's name, so a leftover shows which test made it.
    explicit ScratchFolder(const std::string& tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const noexcept { return path_; }
    // The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path) noexcept;

// Fail the test (through an exception) when the platform refuses.
void MakeFolder(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
void SetAttributes(const std::string& path, DWORD attributes);

// The whole file; throws when it cannot be opened.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path) noexcept;

// The entries of a folder in the platform's own order, "." and ".." left out.
std::vector<std::string> EntryNames(const std::string& folder);

// "61 0D 0A" for the bytes "a\r\n"; the empty string for none.
std::string Hex(const std::string& bytes);

// Restores the current directory on destruction.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const std::string& newDirectory);
    ~CurrentDirectoryGuard();
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    std::string previous_;
};

// A drive letter pointed at a folder for as long as the object lives.
using testhost::DriveLetter;

}  // namespace unit
