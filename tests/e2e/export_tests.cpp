// The two list exports and their view buttons, on the real program started from another working
// folder: where the files land, their exact bytes, which button each export enables, what the
// view buttons open; and exports that cannot replace the file (held open by another process, a
// read-only file system, a full disk), which must leave the earlier file exactly as it was.
// Test names stay ASCII: narrow literals are code page 936 bytes, which a Linux log would garble;
// messages with Chinese names go through Readable().
#include <doctest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver.h"
#include "ui/main_window_description.h"

namespace {

using namespace e2e;
using ui::Control;
using Names = std::vector<std::string>;

const std::string folderListName = "目录列表.txt";
const std::string fileListName = "文件名列表.txt";

// One export button with its list, its file and the view button it enables.
struct ExportKind {
    std::string what;
    Control button, list;
    const std::string& fileName;
    Control viewButton, otherViewButton;
};
const ExportKind folderExport = {"button 2, the folder list", Control::Button2, Control::ListBox2, folderListName,
                                 Control::Button4, Control::Button6};
const ExportKind fileExport = {"button 3, the file list", Control::Button3, Control::ListBox1, fileListName,
                               Control::Button6, Control::Button4};

// What an export of these items must write: each item and CR LF, nothing else.
std::string Lines(const Names& items)
{
    std::string bytes;
    for (const auto& item : items) bytes += item + "\r\n";
    return bytes;
}

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Names in a folder matching the pattern ("*.tmp"), "." and ".." left out.
Names EntriesIn(const std::string& folder, const std::string& pattern = "*")
{
    Names names;
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return Sorted(names);
}

// A folder to list: sub-folders and files, some with Chinese names.
std::string MakeListedFolder(const Sandbox& sandbox, const std::string& name, const Names& folders,
                             const Names& files)
{
    const std::string path = sandbox.MakeFolder(name);
    for (const auto& folder : folders) sandbox.MakeFolder(name + "\\" + folder);
    for (const auto& file : files) WriteFileBytes(path + "\\" + file, "x");
    return path;
}

// Posts a click on the export button and waits for its handler to end, which it does by
// enabling the view button. Only a barrier while that button is still disabled.
bool ExportAndWait(const App& app, const ExportKind& kind)
{
    ClickButton(app.Control(kind.button));
    return WaitFor([&] { return Enabled(app.Control(kind.viewButton)); }, 10000);
}

// Text files open in Notepad for as long as the object lives. Windows always has this
// association; a Wine 8 prefix has the "txtfile" class but does not map ".txt" to it, so the
// shell answers SE_ERR_NOASSOC (31) and opens nothing. Wine reads classes from the machine's
// key only (not the user's), so the mapping goes there, and is removed again only if it was
// made here.
class TextFilesOpenInNotepad {
public:
    TextFilesOpenInNotepad()
    {
        char value[64] = {};
        LONG size = sizeof value;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".txt", value, &size) == ERROR_SUCCESS && value[0] != '\0') return;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot register .txt as a text file");
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("txtfile"), sizeof "txtfile");
        RegCloseKey(key);
        added_ = true;
    }
    ~TextFilesOpenInNotepad()
    {
        if (added_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt");
    }
    TextFilesOpenInNotepad(const TextFilesOpenInNotepad&) = delete;
    TextFilesOpenInNotepad& operator=(const TextFilesOpenInNotepad&) = delete;

private:
    bool added_ = false;
};

// Every #32770 window on the screen, of whatever process.
std::vector<HWND> AllDialogWindows()
{
    std::vector<HWND> found;
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT))
        if (ClassName(window) == "#32770" && Visible(window)) found.push_back(window);
    return found;
}

}  // namespace

TEST_SUITE("export") {

TEST_CASE("both exports land next to the program with each item and CR LF, also after walking into a sub-folder")
{
    Sandbox sandbox;
    const std::string listed = MakeListedFolder(sandbox, "listed", {"子目录", "docs", "a b"},
                                                {"文档.txt", "readme.md"});
    sandbox.MakeFolder("listed\\子目录\\深层");
    WriteFileBytes(listed + "\\子目录\\内部.txt", "x");
    App app(sandbox);
    REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));

    const std::string folderList = sandbox.ProgramFolder() + "\\" + folderListName;
    const std::string fileList = sandbox.ProgramFolder() + "\\" + fileListName;
    // The lists as the program shows them; the files must follow their order exactly.
    auto exportBoth = [&](const Names& expectedFolders, const Names& expectedFiles) {
        const Names folders = ListItems(app.Control(Control::ListBox2));
        const Names files = ListItems(app.Control(Control::ListBox1));
        REQUIRE(Sorted(folders) == Sorted(expectedFolders));
        REQUIRE(Sorted(files) == Sorted(expectedFiles));
        for (const ExportKind* kind : {&folderExport, &fileExport}) {
            INFO(kind->what);
            const std::string expected = Lines(kind == &folderExport ? folders : files);
            const std::string target = sandbox.ProgramFolder() + "\\" + kind->fileName;
            ClickButton(app.Control(kind->button));
            CHECK(WaitFor([&] { return ReadFileBytes(target) == expected; }));
            CHECK(ReadFileBytes(target) == expected);
        }
    };

    exportBoth({".", "..", "子目录", "docs", "a b"}, {"文档.txt", "readme.md"});
    // Code page 936 bytes, no byte order mark.
    CHECK(ReadFileBytes(fileList).find("\xCE\xC4\xB5\xB5.txt\r\n") != std::string::npos);
    CHECK(ReadFileBytes(folderList).rfind(".\r\n..\r\n", 0) == 0);

    // Walking into a folder changes the lists, not where the exports go.
    const Names top = ListItems(app.Control(Control::ListBox2));
    const auto sub = std::find(top.begin(), top.end(), "子目录") - top.begin();
    REQUIRE(app.BringToFront());
    DoubleClickListItem(app.Control(Control::ListBox2), static_cast<int>(sub));
    REQUIRE(WaitFor([&] { return ListItems(app.Control(Control::ListBox1)) == Names{"内部.txt"}; }));
    exportBoth({".", "..", "深层"}, {"内部.txt"});

    CHECK(EntriesIn(sandbox.ProgramFolder()) == Sorted({"tessalo.exe", folderListName, fileListName}));
    for (const std::string& elsewhere : {sandbox.WorkingFolder(), listed, listed + "\\子目录"}) {
        INFO("in ", Readable(elsewhere));
        CHECK(!FileExists(elsewhere + "\\" + folderListName));
        CHECK(!FileExists(elsewhere + "\\" + fileListName));
    }
}

TEST_CASE("each export enables its own view button and no other")
{
    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what, " first");
        Sandbox sandbox;
        const std::string listed = MakeListedFolder(sandbox, "listed", {"sub"}, {"a.txt"});
        App app(sandbox);
        REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));
        REQUIRE(!Enabled(app.Control(Control::Button4)));
        REQUIRE(!Enabled(app.Control(Control::Button6)));

        CHECK(ExportAndWait(app, *kind));
        Pause(200);
        CHECK(!Enabled(app.Control(kind->otherViewButton)));
        CHECK(Enabled(app.Control(Control::Button1)));
        CHECK(Enabled(app.Control(Control::Button2)));
        CHECK(Enabled(app.Control(Control::Button3)));
        CHECK(FileExists(sandbox.ProgramFolder() + "\\" + kind->fileName));
        CHECK(app.DialogWindows().empty());
    }
}

TEST_CASE("a view button opens exactly its exported file in Notepad, once per click")
{
    TextFilesOpenInNotepad association;
    Sandbox sandbox;
    const std::string listed = MakeListedFolder(sandbox, "listed", {"子目录"}, {"文档.txt", "b.txt"});
    App app(sandbox);
    REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));

    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what);
        NotepadGuard closesNotepads;
        REQUIRE(ExportAndWait(app, *kind));
        const std::string exported = ReadFileBytes(sandbox.ProgramFolder() + "\\" + kind->fileName);
        REQUIRE(!exported.empty());
        const auto before = NotepadWindows();
        auto opened = [&] {
            std::vector<HWND> windows;
            for (HWND window : NotepadWindows())
                if (std::find(before.begin(), before.end(), window) == before.end() && Visible(window) &&
                    Text(window).find(kind->fileName) != std::string::npos)
                    windows.push_back(window);
            return windows;
        };

        ClickButton(app.Control(kind->viewButton));
        REQUIRE(WaitFor([&] { return opened().size() == 1; }, 10000));
        HWND notepad = opened().front();
        CHECK(Text(notepad).rfind(kind->fileName + " - ", 0) == 0);   // "目录列表.txt - 记事本"
        // The exported file itself, not another of the same name: its text is the list.
        HWND edit = FindWindowExA(notepad, nullptr, "Edit", nullptr);
        REQUIRE(edit != nullptr);
        CHECK(WaitFor([&] { return Text(edit) == exported; }, 2000));

        // Wine starts a new Notepad for every open.
        ClickButton(app.Control(kind->viewButton));
        CHECK(WaitFor([&] { return opened().size() == 2; }, 10000));
        CHECK(app.DialogWindows().empty());
        CHECK(Responsive(app.Window()));
        for (HWND window : opened()) CHECK(CloseWindowAndWait(window));
    }
}

TEST_CASE("viewing an export that was deleted shows nothing, and the program goes on")
{
    TextFilesOpenInNotepad association;   // so that the shell would start Notepad if it tried
    Sandbox sandbox;
    const std::string listed = MakeListedFolder(sandbox, "listed", {"sub"}, {"a.txt"});
    App app(sandbox);
    REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));
    NotepadGuard closesNotepads;

    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what);
        const std::string target = sandbox.ProgramFolder() + "\\" + kind->fileName;
        REQUIRE(ExportAndWait(app, *kind));
        REQUIRE(DeleteFileA(target.c_str()));
        const auto notepadsBefore = NotepadWindows();
        const auto dialogsBefore = AllDialogWindows();

        ClickButton(app.Control(kind->viewButton));
        Pause(1500);
        CHECK(app.DialogWindows().empty());
        CHECK(AllDialogWindows() == dialogsBefore);   // nor a box of the shell in another process
        CHECK(NotepadWindows() == notepadsBefore);
        CHECK(app.Running());
        CHECK(Responsive(app.Window()));
        CHECK(!FileExists(target));

        // And it goes on working: the next export writes the file again.
        ClickButton(app.Control(kind->button));
        CHECK(WaitFor([&] { return FileExists(target); }));
    }
}

}  // TEST_SUITE

// ---- exports that cannot replace the file -------------------------------------------------

namespace {

// A tmpfs of the given size mounted on a fresh folder under the temporary folder, for as long
// as the object lives. Mounting needs root (as the tests run here and in CI). Wine does not
// report when the Linux `mount` ends: a marker file in the empty folder tells, as the mount
// hides it and the unmount shows it again.
class Tmpfs {
public:
    explicit Tmpfs(const std::string& size)
    {
        if (!UnderWine()) throw std::runtime_error("mounting a tmpfs needs Wine on Linux");
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        static unsigned counter = 0;
        path_ = std::string(temp) + "tessalo-e2e-tmpfs-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        RemoveTree(path_);
        if (!CreateDirectoryA(path_.c_str(), nullptr)) throw std::runtime_error("cannot make " + path_);
        WriteFileBytes(Marker(), "");
        unixPath_ = UnixPathOf(path_);
        StartUnixShell("mount -t tmpfs -o size=\"$1\" tessalo-e2e \"$0\"", {unixPath_, size});
        if (!WaitFor([&] { return !FileExists(Marker()); }, 10000)) {
            RemoveTree(path_);
            throw std::runtime_error("could not mount a tmpfs on " + unixPath_ + " (needs root)");
        }
    }
    ~Tmpfs()
    {
        // Lazily when something still holds a file in it; the marker shows when it is gone.
        StartUnixShell("umount \"$0\" || umount -l \"$0\"", {unixPath_});
        if (WaitFor([&] { return FileExists(Marker()); }, 10000)) RemoveTree(path_);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    const std::string& Path() const { return path_; }

    // Remounts read-only or writable again; true once a new file can (cannot) be made.
    bool SetReadOnly(bool readOnly) const
    {
        StartUnixShell(readOnly ? "mount -o remount,ro \"$0\"" : "mount -o remount,rw \"$0\"", {unixPath_});
        return WaitFor([&] { return CanWrite() != readOnly; }, 10000);
    }

    ULONGLONG FreeBytes() const
    {
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExA((path_ + "\\").c_str(), &free, nullptr, nullptr);
        return free.QuadPart;
    }

private:
    std::string Marker() const { return path_ + "\\not-mounted"; }
    bool CanWrite() const
    {
        UniqueHandle probe(CreateFileA((path_ + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        return static_cast<bool>(probe);
    }

    std::string path_, unixPath_;
};

// Runs the program once to make the earlier export of the kind from the listed folder; returns
// its bytes.
std::string EarlierExport(const Sandbox& sandbox, const std::string& listed, const ExportKind& kind)
{
    App app(sandbox);
    REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));
    REQUIRE(ExportAndWait(app, kind));
    const std::string target = sandbox.ProgramFolder() + "\\" + kind.fileName;
    const std::string bytes = ReadFileBytes(target);
    REQUIRE(bytes == Lines(ListItems(app.Control(kind.list))));
    return bytes;
}

// A new run of the program exports the listed folder, which now holds more, and fails to: no
// message, the view button enabled all the same, the program still answering. The caller checks
// the file and the folder afterwards.
void ExportThatFails(const Sandbox& sandbox, const std::string& listed, const ExportKind& kind,
                     const std::string& earlier)
{
    App app(sandbox);
    REQUIRE(app.ChooseFolder(app.Control(Control::Button1), listed));
    // The export would change the file: an unchanged file below shows the write failed.
    REQUIRE((Lines(ListItems(app.Control(kind.list))) != earlier));
    REQUIRE(!Enabled(app.Control(kind.viewButton)));
    const auto dialogsBefore = AllDialogWindows();

    CHECK(ExportAndWait(app, kind));
    Pause(500);   // a message box would come now
    CHECK(app.DialogWindows().empty());
    CHECK(AllDialogWindows() == dialogsBefore);
    CHECK(!Enabled(app.Control(kind.otherViewButton)));
    CHECK(app.Running());
    CHECK(Responsive(app.Window()));
}

void CheckEarlierKept(const Sandbox& sandbox, const ExportKind& kind, const std::string& earlier)
{
    const std::string now = ReadFileBytes(sandbox.ProgramFolder() + "\\" + kind.fileName);
    INFO("the file has ", now.size(), " bytes, the earlier export ", earlier.size());
    CHECK((now == earlier));   // not the whole lists in the log
    CHECK(EntriesIn(sandbox.ProgramFolder(), "*.tmp").empty());
    CHECK(EntriesIn(sandbox.ProgramFolder()) == Sorted({"tessalo.exe", kind.fileName}));
}

}  // namespace

TEST_SUITE("export_faults") {

TEST_CASE("a target that another process holds open without sharing keeps its earlier content")
{
    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what);
        Sandbox sandbox;
        const std::string listed = MakeListedFolder(sandbox, "listed", {"sub"}, {"a.txt"});
        const std::string earlier = EarlierExport(sandbox, listed, *kind);
        sandbox.MakeFolder("listed\\新目录");
        WriteFileBytes(listed + "\\新文件.txt", "x");

        {
            // This test process is the other process: share mode 0, as an editor might hold it.
            // (Measured: Wine 8 also refuses to replace a target opened with every share flag.)
            const std::string target = sandbox.ProgramFolder() + "\\" + kind->fileName;
            UniqueHandle held(
                CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            REQUIRE(held);
            ExportThatFails(sandbox, listed, *kind, earlier);
            CHECK(EntriesIn(sandbox.ProgramFolder(), "*.tmp").empty());
        }
        CheckEarlierKept(sandbox, *kind, earlier);
    }
}

// As root Wine ignores the read-only attribute, so the program's folder is on a tmpfs that is
// remounted read-only after the earlier export: the file cannot be replaced, nor a temporary file
// made beside it.
TEST_CASE("a read-only file system keeps the earlier export")
{
    Tmpfs tmpfs("4m");
    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what);
        Sandbox sandbox("tessalo.exe", tmpfs.Path());
        const std::string listed = MakeListedFolder(sandbox, "listed", {"sub"}, {"a.txt"});
        const std::string earlier = EarlierExport(sandbox, listed, *kind);
        sandbox.MakeFolder("listed\\新目录");
        WriteFileBytes(listed + "\\新文件.txt", "x");

        REQUIRE(tmpfs.SetReadOnly(true));
        ExportThatFails(sandbox, listed, *kind, earlier);
        CheckEarlierKept(sandbox, *kind, earlier);
        REQUIRE(tmpfs.SetReadOnly(false));   // so the sandbox can be removed
    }
}

// The program on a small tmpfs, filled after the earlier export until less room is left than
// the new list needs: the temporary file cannot be written whole.
TEST_CASE("a full disk keeps the earlier export and removes the partly written temporary file")
{
    constexpr ULONGLONG roomLeft = 8 * 1024;
    Tmpfs tmpfs("2m");
    for (const ExportKind* kind : {&folderExport, &fileExport}) {
        INFO(kind->what);
        Sandbox sandbox("tessalo.exe", tmpfs.Path());
        // Long names, so that one list is several times the room left.
        Names folders, files;
        for (int i = 0; i < 250; ++i) {
            const std::string name = std::to_string(1000 + i) + std::string(80, 'n');
            (kind == &folderExport ? folders : files).push_back(name + "名");
        }
        const std::string listed = MakeListedFolder(sandbox, "listed", folders, files);
        const std::string earlier = EarlierExport(sandbox, listed, *kind);
        REQUIRE(earlier.size() > 2 * roomLeft);
        sandbox.MakeFolder("listed\\新目录");
        WriteFileBytes(listed + "\\新文件.txt", "x");

        const std::string filler = sandbox.Root() + "\\filler";
        const ULONGLONG free = tmpfs.FreeBytes();
        REQUIRE(free > roomLeft);
        WriteFileBytes(filler, std::string(static_cast<size_t>(free - roomLeft), 'f'));
        REQUIRE(tmpfs.FreeBytes() <= roomLeft);
        REQUIRE(tmpfs.FreeBytes() > 0);

        ExportThatFails(sandbox, listed, *kind, earlier);
        CheckEarlierKept(sandbox, *kind, earlier);
        CHECK(tmpfs.FreeBytes() >= roomLeft / 2);   // the partial temporary file gave its room back
        DeleteFileA(filler.c_str());
    }
}

}  // TEST_SUITE
