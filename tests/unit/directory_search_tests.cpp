// DirectorySearch, CloseDirectorySearch and PassesFilter on real folders.
#include <doctest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "browse/directory_search.h"
#include "scratch_folder.h"

using browse::DirectorySearch;
using browse::SearchContext;
using Names = std::vector<std::string>;
using NameSet = std::set<std::string>;

namespace {

struct Entry {
    std::string name;
    DWORD attributes;
};

// What FindFirstFileA/FindNextFileA themselves report, in their order.
std::vector<Entry> PlatformListing(const std::string& pattern)
{
    std::vector<Entry> entries;
    WIN32_FIND_DATAA record;
    HANDLE search = FindFirstFileA(pattern.c_str(), &record);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    do {
        entries.push_back({record.cFileName, record.dwFileAttributes});
    } while (FindNextFileA(search, &record));
    FindClose(search);
    return entries;
}

// Every name one search yields: the first call with the pattern, then continuations until the
// empty text. The context must be none at that point.
Names SearchAll(const std::string& pattern, std::uint32_t mask, std::int32_t filesOnly)
{
    SearchContext context;
    Names names;
    app::Text name = DirectorySearch(pattern.c_str(), mask, filesOnly, context);
    while (!name.IsEmpty()) {
        names.push_back(name.Get());
        REQUIRE(names.size() < 1000);
        name = DirectorySearch(nullptr, mask, filesOnly, context);
    }
    CHECK_FALSE(context.IsValid());
    return names;
}

// The names of `listing` that are in `wanted`, in the listing's order.
Names InPlatformOrder(const std::vector<Entry>& listing, const NameSet& wanted)
{
    Names names;
    for (const Entry& entry : listing) {
        if (wanted.count(entry.name) != 0) {
            names.push_back(entry.name);
        }
    }
    return names;
}

// For messages: the names joined with " | ", a set's in its sorted order.
template <typename Container>
std::string Joined(const Container& names)
{
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " | ") + name;
    }
    return joined;
}

NameSet Union(std::initializer_list<NameSet> sets)
{
    NameSet all;
    for (const NameSet& set : sets) {
        all.insert(set.begin(), set.end());
    }
    return all;
}

// A folder of three plain files, a1 .. a3 (or b1 .. b3): for the search-context tests.
struct ThreeFiles {
    unit::ScratchFolder folder;
    std::string pattern;
    ThreeFiles(const std::string& tag, char prefix) : folder(tag), pattern(folder.Path() + "\\*")
    {
        for (char digit = '1'; digit <= '3'; ++digit) {
            unit::WriteBytes(folder / std::string{prefix, digit}, "x");
        }
    }
};

}  // namespace

TEST_CASE("PassesFilter: files-only takes every non-folder; a mask keeps only its 0x37 bits")
{
    struct Case {
        std::uint32_t attributes;
        std::uint32_t mask;
        std::int32_t filesOnly;
        bool passes;
    };
    // Wine reports at least the archive bit (0x20) for every file and 0x10 for every folder
    // (measured: SetFileAttributesA(path, 0) and (path, FILE_ATTRIBUTE_NORMAL) both read back as
    // 0x20, and so do fifos, sockets and devices), so no real entry has the attribute word 0
    // there; the rule for it is checked here directly.
    const Case cases[] = {
        {0x00, 0x00, 0, true},    // a mask with none of the five bits takes attribute word 0 ...
        {0x00, 0x08, 0, true},    // ... whatever else the mask holds
        {0x00, 0x80, 0, true},
        {0x00, 0xFFFFFFC8, 0, true},
        {0x80, 0x00, 0, false},   // ... and only exactly 0: FILE_ATTRIBUTE_NORMAL is not 0
        {0x08, 0x08, 0, false},   // bits outside 0x37 never match, not even themselves
        {0x80, 0x80, 0, false},
        {0x400, 0x00, 0, false},
        {0x00, 0x10, 0, false},   // a mask with any of the five bits never takes attribute 0
        {0x00, 0x37, 0, false},
        {0x21, 0x01, 0, true},    // any one shared bit is enough
        {0x26, 0x02, 0, true},
        {0x26, 0x11, 0, false},
        {0x410, 0x10, 0, true},   // a linked folder (reparse point) is a folder
        {0x410, 0x00, 1, false},  // and is not a file
        {0x00, 0x00, 1, true},    // files-only ignores the mask ...
        {0x27, 0x10, 1, true},
        {0x12, 0x37, 1, false},
        {0x20, 0x10, -1, true},   // ... and counts any non-zero value as set
        {0x10, 0x00, -1, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.attributes);
        CAPTURE(c.mask);
        CAPTURE(c.filesOnly);
        CHECK(browse::PassesFilter(c.attributes, c.mask, c.filesOnly) == c.passes);
    }
}

TEST_CASE("DirectorySearch yields exactly the entries the filter passes, in the platform's order")
{
    unit::ScratchFolder folder("filter");
    // No read-only folder: Wine accepts SetFileAttributesA(folder, 0x11) but reads it back as 0x10.
    const NameSet readOnly = {"readonly.txt"};
    const NameSet hidden = {"hidden.txt", ".profile", "hidden-sub"};  // Wine hides dot-names itself
    const NameSet system = {"system.txt", "system-sub"};
    const NameSet dots = {".", ".."};
    const NameSet files = {"a.txt", "文档.txt", "readonly.txt", "hidden.txt", ".profile", "system.txt"};
    const NameSet folders = {".", "..", "sub", "hidden-sub", "system-sub"};
    const NameSet everything = Union({files, folders});

    for (const std::string& name : files) {
        unit::WriteBytes(folder / name, "x");
    }
    for (const std::string& name : folders) {
        if (dots.count(name) == 0) {
            unit::MakeFolder(folder / name);
        }
    }
    unit::SetAttributes(folder / "readonly.txt", FILE_ATTRIBUTE_READONLY);
    unit::SetAttributes(folder / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    unit::SetAttributes(folder / "system.txt", FILE_ATTRIBUTE_SYSTEM);
    unit::SetAttributes(folder / "hidden-sub", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    unit::SetAttributes(folder / "system-sub", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    // Entries made this way: an attribute word of 0 is among them if the platform can report one
    // (Wine cannot, see above).
    unit::WriteBytes(folder / "zero", "x");
    unit::SetAttributes(folder / "zero", 0);
    unit::WriteBytes(folder / "normal", "x");
    unit::SetAttributes(folder / "normal", FILE_ATTRIBUTE_NORMAL);

    const std::string pattern = folder.Path() + "\\*";
    const std::vector<Entry> listing = PlatformListing(pattern);
    NameSet zeroWord;
    NameSet listed;
    for (const Entry& entry : listing) {
        listed.insert(entry.name);
        // Wine sets the archive bit on every file it reports, which the 0x20 row below relies on.
        CAPTURE(entry.name);
        REQUIRE(((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                 (entry.attributes & FILE_ATTRIBUTE_ARCHIVE) != 0 || entry.attributes == 0));
        if (entry.attributes == 0) {
            zeroWord.insert(entry.name);
        }
    }
    const NameSet filesNow = Union({files, {"zero", "normal"}});
    const NameSet filesWithoutZero = [&] {
        NameSet rest = filesNow;
        for (const std::string& name : zeroWord) {
            rest.erase(name);
        }
        return rest;
    }();
    REQUIRE(Joined(listed) == Joined(Union({everything, {"zero", "normal"}})));

    struct Case {
        std::uint32_t mask;
        std::int32_t filesOnly;
        NameSet expected;
    };
    const Case cases[] = {
        {0x00, 1, filesNow},  // files-only: every non-folder, hidden and system ones too
        {0x10, 1, filesNow},  // the mask does not matter
        {0x37, 1, filesNow},
        {0x00, -1, filesNow},
        {0x10, 0, folders},  // "." and ".." and every folder, hidden and system ones too
        {0x18, 0, folders},  // 0x08 is not one of the filtered bits
        {0x00, 0, zeroWord},  // only attribute word 0: nothing on Wine
        {0x08, 0, zeroWord},
        {0x80, 0, zeroWord},
        {0x01, 0, readOnly},
        {0x02, 0, hidden},
        {0x04, 0, system},
        {0x06, 0, Union({hidden, system})},
        {0x20, 0, filesWithoutZero},  // every file is archived
        {0x37, 0, Union({folders, filesWithoutZero})},
        {0xFFFFFFFF, 0, Union({folders, filesWithoutZero})},
    };
    for (const Case& c : cases) {
        CAPTURE(c.mask);
        CAPTURE(c.filesOnly);
        const Names found = SearchAll(pattern, c.mask, c.filesOnly);
        CHECK(Joined(NameSet(found.begin(), found.end())) == Joined(c.expected));
        CHECK(Joined(found) == Joined(InPlatformOrder(listing, c.expected)));  // also: no entry twice
    }
}

TEST_CASE("a search run to its end leaves no open search behind")
{
    ThreeFiles a("end", 'a');
    SearchContext context;
    CHECK(std::string(DirectorySearch(a.pattern.c_str(), 0, 1, context).CStr()) == "a1");
    CHECK(context.IsValid());
    CHECK(std::string(DirectorySearch(nullptr, 0, 1, context).CStr()) == "a2");
    CHECK(std::string(DirectorySearch("", 0, 1, context).CStr()) == "a3");  // "" continues too
    CHECK(context.IsValid());
    CHECK(DirectorySearch(nullptr, 0, 1, context).IsEmpty());
    CHECK_FALSE(context.IsValid());

    SUBCASE("continuing with no open search returns the empty text at once, touching nothing")
    {
        for (const char* pattern : {static_cast<const char*>(nullptr), ""}) {
            SetLastError(0x2A2A2A2A);  // FindNextFileA on no search would overwrite it
            CHECK(DirectorySearch(pattern, 0x10, 0, context).IsEmpty());
            CHECK(GetLastError() == 0x2A2A2A2A);
            CHECK_FALSE(context.IsValid());
        }
    }
    SUBCASE("the same pattern starts again from the first entry")
    {
        CHECK(std::string(DirectorySearch(a.pattern.c_str(), 0, 1, context).CStr()) == "a1");
        CHECK(context.IsValid());
    }
}

TEST_CASE("a new pattern ends the open search and starts from the new pattern's first entry")
{
    ThreeFiles a("switch-a", 'a');
    ThreeFiles b("switch-b", 'b');
    SearchContext context;
    CHECK(std::string(DirectorySearch(a.pattern.c_str(), 0, 1, context).CStr()) == "a1");
    CHECK(std::string(DirectorySearch(nullptr, 0, 1, context).CStr()) == "a2");

    SUBCASE("another folder")
    {
        Names rest;
        rest.push_back(DirectorySearch(b.pattern.c_str(), 0, 1, context).CStr());
        for (app::Text name = DirectorySearch(nullptr, 0, 1, context); !name.IsEmpty();
             name = DirectorySearch(nullptr, 0, 1, context)) {
            rest.push_back(name.Get());
            REQUIRE(rest.size() < 10);
        }
        CHECK(rest == Names{"b1", "b2", "b3"});
        CHECK_FALSE(context.IsValid());
    }
    SUBCASE("the same folder again")
    {
        CHECK(std::string(DirectorySearch(a.pattern.c_str(), 0, 1, context).CStr()) == "a1");
        CHECK(std::string(DirectorySearch(nullptr, 0, 1, context).CStr()) == "a2");
    }
    SUBCASE("a pattern that finds nothing ends the open search too")
    {
        const std::string patterns[] = {
            a.folder / "missing\\*",  // no such folder
            a.folder / "a1\\*",       // a file where a folder should be
            a.folder / "*.none",      // a folder with no match
        };
        for (const std::string& pattern : patterns) {
            CAPTURE(pattern);
            CHECK(DirectorySearch(pattern.c_str(), 0, 1, context).IsEmpty());
            CHECK_FALSE(context.IsValid());
            CHECK(DirectorySearch(nullptr, 0, 1, context).IsEmpty());
            CHECK(std::string(DirectorySearch(a.pattern.c_str(), 0, 1, context).CStr()) == "a1");
        }
    }
    SUBCASE("CloseDirectorySearch ends it, and is harmless on no search")
    {
        browse::CloseDirectorySearch(context);
        CHECK_FALSE(context.IsValid());
        browse::CloseDirectorySearch(context);
        CHECK_FALSE(context.IsValid());
        CHECK(DirectorySearch(nullptr, 0, 1, context).IsEmpty());
    }
}

TEST_CASE("a folder where no entry passes gives the empty text and no search on the first call")
{
    ThreeFiles a("nothing-passes", 'a');
    SearchContext context;
    CHECK(DirectorySearch(a.pattern.c_str(), FILE_ATTRIBUTE_SYSTEM, 0, context).IsEmpty());
    CHECK_FALSE(context.IsValid());
}

TEST_CASE("a drive root lists no \".\" or \"..\": the first folder is the first real one")
{
    unit::ScratchFolder folder("drive");
    // A file first in the platform's order, so the filter has something to skip.
    unit::WriteBytes(folder / "0.txt", "x");
    for (const char* name : {"alpha", "beta", "gamma"}) {
        unit::MakeFolder(folder / name);
    }
    unit::DriveLetter drive(folder.Path());
    const std::string pattern = drive.Root() + "*";
    CAPTURE(pattern);

    const std::vector<Entry> listing = PlatformListing(pattern);
    const NameSet folders = {"alpha", "beta", "gamma"};
    const Names expected = InPlatformOrder(listing, folders);
    REQUIRE(expected.size() == 3);

    SearchContext context;
    CHECK(std::string(DirectorySearch(pattern.c_str(), browse::directoryAttribute, 0, context).CStr()) ==
          expected.front());
    const Names all = SearchAll(pattern, 0x10, 0);
    CHECK(all == expected);
}
