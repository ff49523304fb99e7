// The main window as a user meets it: its frame and place, its nine controls, the keyboard
// and the three ways to close it; and the error box of a program that cannot make its window.
// Test names stay ASCII: narrow literals are code page 936 bytes, which a Linux log would garble;
// messages with Chinese names go through Readable().
#include <doctest.h>

#include <cstring>
#include <functional>
#include <ostream>

#include "driver.h"
#include "ui/main_window_description.h"

namespace e2e {
std::ostream& operator<<(std::ostream& out, const Place& place)
{
    return out << "(" << place.left << ", " << place.top << ", " << place.width << " x " << place.height << ")";
}
}  // namespace e2e

namespace {

using namespace e2e;
using ui::Control;

struct ControlRow {
    Control id;
    const char* name;
    const char* className;
    Place place;               // in the main window's client area
    const char* caption;       // nullptr: a list box, no caption
    bool enabled;
};

const ControlRow controlTable[] = {
    {Control::Button1, "按钮1", "Button", {164, 8, 112, 32}, "选择目录", true},
    {Control::Label1, "透明标签1", "Static", {62, 32, 86, 24}, "文件夹名称列表", true},
    {Control::Label2, "透明标签2", "Static", {292, 32, 96, 24}, "文件名名称列表", true},
    {Control::ListBox2, "列表框2", "ListBox", {12, 56, 208, 248}, nullptr, true},
    {Control::ListBox1, "列表框1", "ListBox", {228, 56, 208, 248}, nullptr, true},
    {Control::Button2, "按钮2", "Button", {44, 312, 112, 32}, "导出目录列表", false},
    {Control::Button3, "按钮3", "Button", {268, 312, 112, 32}, "导出文件列表", false},
    {Control::Button4, "按钮4", "Button", {44, 352, 112, 32}, "查看目录列表", false},
    {Control::Button6, "按钮6", "Button", {268, 352, 112, 32}, "查看文件列表", false},
};

const char* NameOf(const App& app, HWND window)
{
    for (const auto& row : controlTable)
        if (app.Control(row.id) == window) return row.name;
    if (window == app.Window()) return "the main window";
    return window == nullptr ? "nothing" : "another window";
}

bool SameClass(const std::string& actual, const char* expected)
{
    return _stricmp(actual.c_str(), expected) == 0;
}

// Waits for the focus to reach the control; reports where it is when it does not.
void CheckFocusReaches(const App& app, Control expected)
{
    HWND target = app.Control(expected);
    const bool reached = WaitFor([&] { return app.Focus() == target; }, 2000);
    INFO("focus on ", Readable(NameOf(app, app.Focus())), ", expected on ", Readable(NameOf(app, target)));
    CHECK(reached);
}

// Moves the focus from 列表框1 (where it starts) to the given control with Tab.
void TabTo(const App& app, Control target)
{
    const Control cycle[] = {Control::ListBox1, Control::Button1, Control::ListBox2};
    REQUIRE(app.BringToFront());
    CheckFocusReaches(app, Control::ListBox1);
    for (Control at : cycle) {
        if (at == target) return;
        PressKey(VK_TAB);
        CheckFocusReaches(app, at == Control::ListBox1 ? Control::Button1 : Control::ListBox2);
    }
}

// What a user can see of the window and its controls.
struct Snapshot {
    HWND focus = nullptr;
    Place window;
    std::string caption;
    std::vector<bool> enabled;
    std::vector<int> counts, selections;
    size_t topLevelWindows = 0;

    static Snapshot Of(const App& app)
    {
        Snapshot snapshot;
        snapshot.focus = app.Focus();
        snapshot.window = ScreenPlace(app.Window());
        snapshot.caption = Text(app.Window());
        for (const auto& row : controlTable) snapshot.enabled.push_back(Enabled(app.Control(row.id)));
        for (Control list : {Control::ListBox1, Control::ListBox2}) {
            snapshot.counts.push_back(ListCount(app.Control(list)));
            snapshot.selections.push_back(ListSelection(app.Control(list)));
        }
        for (HWND window : TopLevelWindows(app.ProcessId()))
            if (Visible(window)) ++snapshot.topLevelWindows;
        return snapshot;
    }
};

void CheckUnchanged(const App& app, const Snapshot& before)
{
    const Snapshot after = Snapshot::Of(app);
    INFO("focus on ", Readable(NameOf(app, after.focus)), ", was on ", Readable(NameOf(app, before.focus)));
    CHECK(after.focus == before.focus);
    CHECK(after.window == before.window);
    CHECK(after.caption == before.caption);
    CHECK(after.enabled == before.enabled);
    CHECK(after.counts == before.counts);
    CHECK(after.selections == before.selections);
    CHECK(after.topLevelWindows == before.topLevelWindows);
    CHECK(app.DialogWindows().empty());
    CHECK(app.Running());
}

// A top-level window of the test itself, to take the activation away from the program.
// The test's thread pumps its messages while it waits.
class OwnWindow {
public:
    OwnWindow()
        : window_(CreateWindowExA(WS_EX_TOPMOST, "Static", "e2e", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 120, 60,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~OwnWindow() { DestroyWindow(window_); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND Get() const { return window_; }
    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

private:
    HWND window_;
};

}  // namespace

TEST_SUITE("window") {

TEST_CASE("the main window opens centred, 455 x 421, with its caption, a fixed frame and only a close box")
{
    REQUIRE_MESSAGE(GetSystemMetrics(SM_CXSCREEN) == 1024, "the tests expect a 1024 x 768 screen");
    REQUIRE(GetSystemMetrics(SM_CYSCREEN) == 768);
    Sandbox sandbox;
    App app(sandbox);

    CHECK(ClassName(app.Window()) == App::mainWindowClass);
    CHECK(ScreenPlace(app.Window()) == Place{284, 173, 455, 421});
    const std::string caption = Text(app.Window());
    CHECK(caption.rfind("TessaloV1.0  ", 0) == 0);
    CHECK(caption.size() > std::strlen("TessaloV1.0  "));   // the contact line follows

    const auto style = Style(app.Window());
    CHECK((style & WS_CAPTION) == WS_CAPTION);
    CHECK((style & WS_SYSMENU) != 0);
    CHECK((style & WS_THICKFRAME) == 0);
    CHECK((style & WS_MINIMIZEBOX) == 0);
    CHECK((style & WS_MAXIMIZEBOX) == 0);
    CHECK((ExStyle(app.Window()) & WS_EX_TOPMOST) == 0);
    CHECK(CloseBoxPoint(app.Window()).has_value());

    // The program's only window: nothing else of it is on the screen.
    size_t shown = 0;
    for (HWND window : TopLevelWindows(app.ProcessId()))
        if (Visible(window)) ++shown;
    CHECK(shown == 1);

    // The picture of the window for the README, as the program shows itself at start.
    if (UnderWine()) {
        std::string build = TestProgramFolder();
        build = build.substr(0, build.find_last_of('\\'));
        CHECK(SaveScreenshot(build + "\\screenshots\\window.png"));
    }
}

TEST_CASE("every control has its class, place, caption and starting state, and there are no others")
{
    Sandbox sandbox;
    App app(sandbox);

    for (const auto& row : controlTable) {
        INFO(Readable(row.name));
        HWND control = app.Control(row.id);
        REQUIRE(control != nullptr);
        CHECK(SameClass(ClassName(control), row.className));
        CHECK(PlaceIn(control, app.Window()) == row.place);
        CHECK(Visible(control));
        CHECK(Enabled(control) == row.enabled);
        if (row.caption != nullptr) {
            CHECK(Text(control) == row.caption);
        } else {
            CHECK(ListCount(control) == 0);
            CHECK(ListSelection(control) == LB_ERR);
        }
    }

    const auto children = Children(app.Window());
    CHECK(children.size() == std::size(controlTable));
    for (HWND child : children) {
        INFO("child id ", GetDlgCtrlID(child), " of class ", ClassName(child));
        CHECK(std::strcmp(NameOf(app, child), "another window") != 0);
    }
}

TEST_CASE("the buttons are plain push buttons, and the lists neither sort nor select more than one item")
{
    Sandbox sandbox;
    App app(sandbox);

    for (const auto& row : controlTable) {
        INFO(Readable(row.name));
        HWND control = app.Control(row.id);
        const auto style = Style(control);
        if (SameClass(row.className, "Button")) {
            CHECK((style & BS_TYPEMASK) == BS_PUSHBUTTON);
            CHECK((style & WS_TABSTOP) != 0);
        } else if (SameClass(row.className, "ListBox")) {
            CHECK((style & LBS_SORT) == 0);
            CHECK((style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) == 0);
            CHECK((style & LBS_NOTIFY) != 0);           // double-clicks reach the window
            // The vertical bar comes and goes with the items (the style bit with it): not checked here.
            CHECK((style & WS_HSCROLL) == 0);
            CHECK((style & WS_TABSTOP) != 0);
            CHECK((ExStyle(control) & WS_EX_CLIENTEDGE) != 0);
        } else {
            CHECK((style & WS_TABSTOP) == 0);
        }
    }
}

TEST_CASE("the focus starts on list box 1; Tab and Shift+Tab cycle the enabled controls")
{
    Sandbox sandbox;
    App app(sandbox);
    REQUIRE(app.BringToFront());
    CheckFocusReaches(app, Control::ListBox1);

    SUBCASE("Tab: list box 1, button 1, list box 2, and round again")
    {
        for (Control next : {Control::Button1, Control::ListBox2, Control::ListBox1, Control::Button1}) {
            PressKey(VK_TAB);
            CheckFocusReaches(app, next);
        }
    }
    SUBCASE("Shift+Tab: the other way round")
    {
        for (Control next : {Control::ListBox2, Control::Button1, Control::ListBox1, Control::ListBox2}) {
            PressKey(VK_TAB, {VK_SHIFT});
            CheckFocusReaches(app, next);
        }
    }
}

TEST_CASE("the control that had the focus gets it back when the window is activated again")
{
    Sandbox sandbox;
    App app(sandbox);
    TabTo(app, Control::ListBox2);

    {
        OwnWindow other;
        SetForegroundWindow(other.Get());
        CHECK(WaitFor([&] {
            OwnWindow::Pump();
            return GetForegroundWindow() == other.Get();
        }, 2000));
        SetForegroundWindow(app.Window());
        CHECK(WaitFor([&] {
            OwnWindow::Pump();
            return GetForegroundWindow() == app.Window();
        }, 2000));
    }
    CheckFocusReaches(app, Control::ListBox2);
}

TEST_CASE("Enter, and clicks on the disabled buttons, change nothing")
{
    Sandbox sandbox;
    App app(sandbox);

    for (Control focus : {Control::ListBox1, Control::Button1, Control::ListBox2}) {
        INFO("Enter with the focus on ", Readable(NameOf(app, app.Control(focus))));
        TabTo(app, focus);
        const Snapshot before = Snapshot::Of(app);
        PressKey(VK_RETURN);
        Pause(400);
        CheckUnchanged(app, before);
        // Back to the start of the cycle for the next row.
        while (app.Focus() != app.Control(Control::ListBox1)) {
            PressKey(VK_TAB);
            Pause(50);
        }
    }

    for (Control button : {Control::Button2, Control::Button3, Control::Button4, Control::Button6}) {
        INFO("a click on ", Readable(NameOf(app, app.Control(button))));
        const Snapshot before = Snapshot::Of(app);
        ClickAt(CentreOf(app.Control(button)));
        Pause(400);
        CheckUnchanged(app, before);
    }
    // Clicking a disabled button wrote nothing anywhere.
    CHECK(!FileExists(sandbox.ProgramFolder() + "\\目录列表.txt"));
    CHECK(!FileExists(sandbox.ProgramFolder() + "\\文件名列表.txt"));
    CHECK(!FileExists(sandbox.WorkingFolder() + "\\目录列表.txt"));
    CHECK(!FileExists(sandbox.WorkingFolder() + "\\文件名列表.txt"));
}

TEST_CASE("Esc, the close box and Alt+F4 each end the program with exit code 0")
{
    struct Way {
        const char* name;
        Control focus;
        std::function<void(const App&)> close;
    };
    const auto esc = [](const App&) { PressKey(VK_ESCAPE); };
    const Way ways[] = {
        {"Esc on 列表框1", Control::ListBox1, esc},
        {"Esc on 按钮1", Control::Button1, esc},
        {"Esc on 列表框2", Control::ListBox2, esc},
        {"a click on the close box", Control::ListBox1,
         [](const App& app) {
             const auto point = CloseBoxPoint(app.Window());
             REQUIRE(point.has_value());
             ClickAt(*point);
         }},
        {"Alt+F4", Control::ListBox1, [](const App&) { PressKey(VK_F4, {VK_MENU}); }},
    };

    for (const auto& way : ways) {
        INFO(Readable(way.name));
        Sandbox sandbox;
        App app(sandbox);
        TabTo(app, way.focus);
        way.close(app);
        const auto code = app.WaitExit(5000);
        REQUIRE(code.has_value());
        CHECK(*code == 0);
    }
}

TEST_CASE("a program that cannot create its main window says so and exits with -1")
{
    Sandbox sandbox("tessalo_nowindow.exe");
    App app(sandbox, false);

    const auto box = app.WaitForMessageBox(10000);
    REQUIRE(box.has_value());
    CHECK(box->caption == "错误");
    // The static keeps the text exactly as given, closing line end included.
    CHECK(box->text == "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    CHECK(TopLevelWindows(app.ProcessId(), App::mainWindowClass).empty());
    CHECK(app.Running());   // until the box is dismissed

    App::DismissMessageBox(box->box);
    const auto code = app.WaitExit(5000);
    REQUIRE(code.has_value());
    CHECK(*code == 0xFFFFFFFFu);
    CHECK(TopLevelWindows(app.ProcessId(), App::mainWindowClass).empty());
}

}  // TEST_SUITE
