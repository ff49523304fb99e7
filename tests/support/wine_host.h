// What tests need of the machine under Wine: telling Wine from Windows, Unix paths, running a
// Unix command, and pointing a drive letter at a folder. Shared by the unit and end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace testhost {

// Bytes in the code page to UTF-16.
std::wstring Widen(const std::string& text, unsigned codePage);

bool UnderWine();
// The Unix path (UTF-8) of a Windows path (code page 936); empty when there is none or not
// under Wine.
std::string UnixPathOf(const std::string& windowsPath);
// Starts `/bin/sh -c script arg0 arg1 ...` through Wine's CreateProcess (arguments in UTF-8).
// Wine does not report when a Unix process ends: wait for its effect, a file it makes last.
void StartUnixShell(const std::string& script, const std::vector<std::string>& arguments);

// A drive letter pointed at a folder for as long as the object lives (first free one from T:).
// Under Wine through its mount manager, as its configuration tool does it: the shell's folder
// chooser then shows the drive too (a bare dosdevices link is not in GetLogicalDrives, and
// Wine accepts DefineDosDeviceA without resolving paths through it, both measured).
// On Windows through DefineDosDeviceA. Throws when no letter can be had.
class DriveLetter {
public:
    explicit DriveLetter(const std::string& folder);
    ~DriveLetter();
    DriveLetter(const DriveLetter&) = delete;
    DriveLetter& operator=(const DriveLetter&) = delete;
    std::string Root() const { return std::string(1, letter_) + ":\\"; }   // "T:\"

private:
    std::string folder_;
    char letter_ = 0;
};

}  // namespace testhost
