// WriteToFile and the list export on real files; the export runs on the real main window.
// Suites: "write_to_file" needs no display, "export_list" creates the main window.
#include <doctest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/texts.h"
#include "export/list_export.h"
#include "export/write_to_file.h"
#include "scratch_folder.h"
#include "ui/controls.h"
#include "ui/window.h"

using exporting::Bytes;
using exporting::WriteToFile;
using ui::Control;
using Names = std::vector<std::string>;

namespace {

const std::string earlier = "earlier content, longer than what replaces it\r\n";

// Another process that holds a file open with share mode 0 (tessalo_hold_file.exe, built next
// to this program) until Release() or the end of the object.
class HeldByAnotherProcess {
public:
    explicit HeldByAnotherProcess(const std::string& path)
    {
        const std::string id = std::to_string(GetCurrentProcessId());
        const std::string readyName = "tessalo-unit-hold-ready-" + id;
        const std::string releaseName = "tessalo-unit-hold-release-" + id;
        ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        char self[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string helper(self, length);
        helper = helper.substr(0, helper.rfind('\\') + 1) + "tessalo_hold_file.exe";
        std::string command = "\"" + helper + "\" \"" + path + "\" " + readyName + " " + releaseName;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (ready_ == nullptr || release_ == nullptr ||
            !CreateProcessA(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_)) {
            throw std::runtime_error("cannot start " + helper);
        }
        CloseHandle(process_.hThread);
        HANDLE either[] = {ready_, process_.hProcess};
        if (WaitForMultipleObjects(2, either, FALSE, 20000) != WAIT_OBJECT_0) {
            throw std::runtime_error("the helper did not open " + path);
        }
    }
    ~HeldByAnotherProcess()
    {
        Release();
        CloseHandle(process_.hProcess);
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

    // Lets the helper close the file and waits until it has ended.
    void Release() noexcept
    {
        SetEvent(release_);
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 20000);
        }
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_ = {};
};

// The real main window, made once for the whole program.
void EnsureMainWindow()
{
    static const bool made = ui::LoadWindowDescriptions() && ui::CreateMainWindow();
    REQUIRE(made);
}

void FillList(Control list, const std::vector<const char*>& items)
{
    ui::ClearList(list);
    for (const char* item : items) {
        REQUIRE(ui::AddListItem(list, item) >= 0);
    }
}

const Control buttons[] = {Control::Button1, Control::Button2, Control::Button3, Control::Button4,
                           Control::Button6};

std::vector<bool> ButtonStates()
{
    std::vector<bool> states;
    for (Control button : buttons) {
        states.push_back(IsWindowEnabled(ui::ControlWindow(button)) != FALSE);
    }
    return states;
}

// The states before, with `button` enabled.
std::vector<bool> WithEnabled(std::vector<bool> states, Control button)
{
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (buttons[i] == button) {
            states[i] = true;
        }
    }
    return states;
}

void DisableViewButtons()
{
    EnableWindow(ui::ControlWindow(Control::Button4), FALSE);
    EnableWindow(ui::ControlWindow(Control::Button6), FALSE);
}

// The export's file name without the leading separator.
std::string Bare(const char* fileName) { return fileName + 1; }

struct ExportKind {
    const char* what;
    void (*click)();
    Control list;
    Control otherList;
    const char* fileName;
    Control viewButton;
};

const ExportKind folderExport = {"Button2Click", exporting::Button2Click, Control::ListBox2, Control::ListBox1,
                                 app::texts::folderListFileName, Control::Button4};
const ExportKind fileExport = {"Button3Click", exporting::Button3Click, Control::ListBox1, Control::ListBox2,
                               app::texts::fileListFileName, Control::Button6};

}  // namespace

TEST_SUITE("export_list")
{
    TEST_CASE("an export writes each item and CR LF, replaces the file whole and enables its view button")
    {
        EnsureMainWindow();
        struct Case {
            const ExportKind& kind;
            std::vector<const char*> items;
            const char* hex;
        };
        const Case cases[] = {
            {fileExport, {"a.txt", "b.doc"}, "61 2E 74 78 74 0D 0A 62 2E 64 6F 63 0D 0A"},
            {fileExport, {"文档"}, "CE C4 B5 B5 0D 0A"},  // code page 936 bytes, as the list holds them
            {fileExport, {"z", "", "a"}, "7A 0D 0A 0D 0A 61 0D 0A"},  // the list's order; an empty line
            {folderExport, {".", "..", "sub"}, "2E 0D 0A 2E 2E 0D 0A 73 75 62 0D 0A"},
            {folderExport, {}, ""},
        };
        for (const Case& c : cases) {
            for (const bool overEarlierFile : {false, true}) {
                CAPTURE(c.kind.what);
                CAPTURE(c.hex);
                CAPTURE(overEarlierFile);
                unit::ScratchFolder folder("导出");
                unit::CurrentDirectoryGuard inFolder(folder.Path());
                const std::string target = folder / Bare(c.kind.fileName);
                if (overEarlierFile) {
                    unit::WriteBytes(target, earlier);
                }
                FillList(c.kind.list, c.items);
                FillList(c.kind.otherList, {"other list"});
                DisableViewButtons();
                const std::vector<bool> before = ButtonStates();

                c.kind.click();

                CHECK(unit::Hex(unit::ReadBytes(target)) == c.hex);
                CHECK(unit::EntryNames(folder.Path()) == Names{Bare(c.kind.fileName)});  // no *.tmp left
                CHECK(ButtonStates() == WithEnabled(before, c.kind.viewButton));
            }
        }
    }

    TEST_CASE("exporting again leaves only the second content")
    {
        EnsureMainWindow();
        unit::ScratchFolder folder("again");
        unit::CurrentDirectoryGuard inFolder(folder.Path());
        FillList(Control::ListBox1, {"first.txt", "second.txt", "third.txt"});
        exporting::ExportList(Control::ListBox1, app::texts::fileListFileName, Control::Button6);
        FillList(Control::ListBox1, {"4"});
        exporting::ExportList(Control::ListBox1, app::texts::fileListFileName, Control::Button6);
        CHECK(unit::Hex(unit::ReadBytes(folder / Bare(app::texts::fileListFileName))) == "34 0D 0A");
    }

    TEST_CASE("the view button is enabled also when the file cannot be written")
    {
        EnsureMainWindow();
        unit::ScratchFolder folder("blocked");
        unit::CurrentDirectoryGuard inFolder(folder.Path());
        // A folder where the file should go: the write fails.
        const std::string target = folder / Bare(app::texts::folderListFileName);
        unit::MakeFolder(target);
        unit::WriteBytes(target + "\\inside", "kept");
        FillList(Control::ListBox2, {"sub"});
        DisableViewButtons();
        const std::vector<bool> before = ButtonStates();

        exporting::Button2Click();

        CHECK(ButtonStates() == WithEnabled(before, Control::Button4));
        CHECK(unit::EntryNames(folder.Path()) == Names{Bare(app::texts::folderListFileName)});
        CHECK(unit::ReadBytes(target + "\\inside") == "kept");
    }

    TEST_CASE("an export from a drive root writes into that root")
    {
        EnsureMainWindow();
        unit::ScratchFolder folder("root");
        unit::DriveLetter drive(folder.Path());
        unit::CurrentDirectoryGuard inRoot(drive.Root());
        FillList(Control::ListBox1, {"a.txt"});
        exporting::Button3Click();
        CHECK(unit::Hex(unit::ReadBytes(folder / Bare(app::texts::fileListFileName))) == "61 2E 74 78 74 0D 0A");
        CHECK(unit::EntryNames(folder.Path()) == Names{Bare(app::texts::fileListFileName)});
    }

    TEST_CASE("an export from a folder deeper than 260 bytes lands in that folder, not in the drive root")
    {
        EnsureMainWindow();
        unit::ScratchFolder folder("deep");
        // Double-byte names pass 260 bytes long before 260 characters.
        std::string deep = folder.Path();
        while (deep.size() <= MAX_PATH) {
            deep += "\\长文件夹名称长文件夹名称长文件夹名称";
            unit::MakeFolder(deep);
        }
        unit::CurrentDirectoryGuard inDeep(deep);
        FillList(Control::ListBox1, {"a.txt"});
        exporting::Button3Click();
        CHECK(unit::Hex(unit::ReadBytes(deep + app::texts::fileListFileName)) == "61 2E 74 78 74 0D 0A");
        const std::string strayInRoot = deep.substr(0, 2) + app::texts::fileListFileName;
        CHECK_FALSE(unit::Exists(strayInRoot));
        DeleteFileA(strayInRoot.c_str());
    }
}

TEST_SUITE("write_to_file")
{
    TEST_CASE("a target another process holds open without sharing is left as it was")
    {
        unit::ScratchFolder folder("held");
        const std::string target = folder / "held.txt";
        unit::WriteBytes(target, earlier);
        {
            HeldByAnotherProcess holder(target);
            CHECK_FALSE(WriteToFile(target.c_str(), {{"new\r\n", 5}}));
            CHECK(unit::EntryNames(folder.Path()) == Names{"held.txt"});  // the temporary file is gone
        }
        CHECK(unit::ReadBytes(target) == earlier);
        // Once the other process has let go, the same call succeeds.
        CHECK(WriteToFile(target.c_str(), {{"new\r\n", 5}}));
        CHECK(unit::ReadBytes(target) == "new\r\n");
        CHECK(unit::EntryNames(folder.Path()) == Names{"held.txt"});
    }

    TEST_CASE("a path that cannot name a new file gives false and creates nothing")
    {
        unit::ScratchFolder folder("unwritable");
        unit::CurrentDirectoryGuard inFolder(folder.Path());  // where a temporary file for "" would go
        unit::MakeFolder(folder / "sub");
        unit::WriteBytes(folder / "sub\\inside", "kept");
        struct Case {
            const char* what;
            std::string path;
        };
        const Case cases[] = {
            {"the empty path", ""},
            {"a folder that does not exist", folder / "missing\\list.txt"},
            {"an existing folder", folder / "sub"},
        };
        for (const Case& c : cases) {
            CAPTURE(c.what);
            CHECK_FALSE(WriteToFile(c.path.c_str(), {{"new\r\n", 5}}));
            CHECK(unit::EntryNames(folder.Path()) == Names{"sub"});
            CHECK(unit::EntryNames(folder / "sub") == Names{"inside"});
        }
        CHECK_FALSE(WriteToFile(nullptr, {{"new\r\n", 5}}));
        CHECK(unit::EntryNames(folder.Path()) == Names{"sub"});
    }

    TEST_CASE("large content in several parts is written whole and in order")
    {
        unit::ScratchFolder folder("large");
        const std::string target = folder / "large.txt";
        unit::WriteBytes(target, earlier);
        std::string large(50u << 20, '\0');
        unsigned state = 12345;
        for (char& byte : large) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<char>(state >> 24);
        }
        const std::string head = "head\r\n";
        const std::string tail = "\r\ntail";
        REQUIRE(WriteToFile(target.c_str(),
                            {{head.data(), head.size()}, {large.data(), large.size()}, {"", 0},
                             {tail.data(), tail.size()}}));
        const std::string written = unit::ReadBytes(target);
        CHECK(written.size() == head.size() + large.size() + tail.size());
        CHECK((written == head + large + tail));
        CHECK(unit::EntryNames(folder.Path()) == Names{"large.txt"});
    }
}
