// Texts, the program-folder split and the fatal error box text.
#include <doctest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/fatal_error.h"
#include "app/program_folder.h"
#include "app/text.h"
#include "app/texts.h"

using app::CompareTexts;
using app::ConcatTexts;
using app::Text;

namespace {

std::string Hex(const char* bytes)
{
    std::string out;
    for (const char* p = bytes; *p != '\0'; ++p) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(*p));
        out += pair;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

}  // namespace

TEST_CASE("captions reach the ANSI entry points as code page 936 bytes")
{
    CHECK(GetACP() == 936);
    CHECK(Hex(app::texts::button1Caption) == "D1 A1 D4 F1 C4 BF C2 BC");  // 选择目录
    CHECK(Hex(app::texts::fileListFileName) == "5C CE C4 BC FE C3 FB C1 D0 B1 ED 2E 74 78 74");
}

TEST_CASE("ConcatTexts joins in order, treats none as empty and always allocates")
{
    struct Case {
        const char* a;
        const char* b;
        const char* c;
        const char* joined;
    };
    const Case cases[] = {
        {"C:\\Windows", "\\", "System32", "C:\\Windows\\System32"},
        {nullptr, "\\*", nullptr, "\\*"},
        {"", "", "", ""},
        {nullptr, nullptr, nullptr, ""},
        {"文档", "", ".txt", "文档.txt"},
    };
    for (const Case& c : cases) {
        Text joined = ConcatTexts({c.a, c.b, c.c});
        REQUIRE_FALSE(joined.IsNone());
        CHECK(std::strcmp(joined.Get(), c.joined) == 0);
        CHECK(joined.Length() == std::strlen(c.joined));
    }
    Text one = ConcatTexts(nullptr);
    CHECK_FALSE(one.IsNone());
    CHECK(CompareTexts(one.Get(), nullptr) == 0);
}

TEST_CASE("CompareTexts orders unsigned bytes and equates none with the empty text")
{
    struct Case {
        const char* left;
        const char* right;
        int expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0},  {nullptr, "", 0},        {"", nullptr, 0},   {"a", nullptr, 1},
        {nullptr, "a", -1},     {"abc", "abc", 0},       {"abc", "abd", -1}, {"abd", "abc", 1},
        {"ab", "abc", -1},      {"abc", "ab", 1},
        // Bytes above 0x7F sort after ASCII: signed chars would put them first.
        {"\xCE\xC4", "z", 1},   {"a", "\xB5", -1},
    };
    for (const Case& c : cases) {
        CAPTURE(c.left);
        CAPTURE(c.right);
        CHECK(CompareTexts(c.left, c.right) == c.expected);
    }
}

TEST_CASE("a held text is replaced by computing the new value, then releasing the old one")
{
    Text path = Text::CopyOf("C:\\Windows");
    // The new value is built from the old one, so the old one must still be alive while it is.
    path = ConcatTexts({path.Get(), "\\", ".."});
    CHECK(std::strcmp(path.Get(), "C:\\Windows\\..") == 0);
    app::ReleaseText(path);
    CHECK(path.IsNone());
    app::ReleaseText(path);  // releasing none does nothing
    CHECK(path.IsEmpty());
    CHECK(std::strcmp(path.CStr(), "") == 0);
}

TEST_CASE("TextBuilder appends in order and hands over its bytes")
{
    app::TextBuilder builder;
    CHECK(builder.Finish().IsNone());
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        const std::string item = "item" + std::to_string(i);
        builder.Append(item.c_str());
        builder.Append("\r\n");
        expected += item + "\r\n";
    }
    CHECK(builder.Length() == expected.size());
    Text built = builder.Finish();
    CHECK(built.Get() == expected);
    CHECK(builder.Length() == 0);
}

TEST_CASE("the program path splits at its last real backslash")
{
    struct Case {
        const char* path;
        const char* folder;
        const char* fileName;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tessalo\\tessalo.exe", "C:\\Program Files\\Tessalo", "tessalo.exe"},
        // 癨 is B0 5C in code page 936: its trail byte is not a separator.
        {"C:\\工具\\程序癨.exe", "C:\\工具", "程序癨.exe"},
        {"C:\\工具癨", "C:", "工具癨"},
        {"tessalo.exe", "", "tessalo.exe"},
        {"C:\\tessalo.exe", "C:", "tessalo.exe"},
        {"\\\\server\\share\\tessalo.exe", "\\\\server\\share", "tessalo.exe"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.path);
        app::ProgramPath split = app::SplitProgramPath(c.path);
        CHECK(std::string(split.folder.CStr()) == c.folder);
        CHECK(std::string(split.fileName.CStr()) == c.fileName);
    }
}

TEST_CASE("the fatal error box text")
{
    struct Case {
        const char* message;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"载入启动窗口失败", 0, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
        {"", 0, "运行时出错!\r\n\r\n"},
        {nullptr, 0, "运行时出错!\r\n\r\n"},
        {"", 5, "运行时出错!\r\n\r\n错误代码：5\r\n\r\n"},
        {"x", -1, "运行时出错!\r\n\r\n错误代码：-1\r\n\r\n错误信息：x\r\n"},
    };
    for (const Case& c : cases) {
        char text[256];
        app::FormatFatalErrorText(c.message, c.code, text, sizeof text);
        CHECK(std::string(text) == c.text);
    }
    char small[8];
    app::FormatFatalErrorText("载入启动窗口失败", 0, small, sizeof small);
    CHECK(std::strlen(small) == 7);  // cut, still terminated

    char message[128];
    app::FormatAllocationMessage(4096, message, sizeof message);
    CHECK(std::string(message) == "分配 4096 字节内存失败!");
    app::FormatAllocationMessage(5000000000ull, message, sizeof message);
    CHECK(std::string(message) == "分配 5000000000 字节内存失败!");
}
