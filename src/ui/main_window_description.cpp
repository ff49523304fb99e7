#include "ui/main_window_description.h"

#include "app/texts.h"

namespace ui {

namespace {

namespace t = app::texts;
using K = ControlKind;
using E = ControlEvent;

// clang-format off
constexpr ControlDescription controls[] = {
//   control             kind                 left  top  width height caption          enabled tab event
    {Control::Button1,  K::PushButton,       164,   8,  112,  32,  t::button1Caption, true,  2, E::Click},
    {Control::Label1,   K::TransparentLabel,  62,  32,   86,  24,  t::label1Caption,  true,  0, E::None},
    {Control::Label2,   K::TransparentLabel, 292,  32,   96,  24,  t::label2Caption,  true,  0, E::None},
    {Control::ListBox2, K::ListBox,           12,  56,  208, 248,  nullptr,           true,  3, E::DoubleClick},
    {Control::ListBox1, K::ListBox,          228,  56,  208, 248,  nullptr,           true,  1, E::None},
    {Control::Button2,  K::PushButton,        44, 312,  112,  32,  t::button2Caption, false, 4, E::Click},
    {Control::Button3,  K::PushButton,       268, 312,  112,  32,  t::button3Caption, false, 5, E::Click},
    {Control::Button4,  K::PushButton,        44, 352,  112,  32,  t::button4Caption, false, 6, E::Click},
    {Control::Button6,  K::PushButton,       268, 352,  112,  32,  t::button6Caption, false, 7, E::Click},
};
// clang-format on

constexpr WindowDescription mainWindow = {
    mainWindowClassName, t::windowCaption, 455, 421, controls,
    static_cast<int>(sizeof controls / sizeof controls[0]),
};

}  // namespace

const WindowDescription& MainWindowDescription() { return mainWindow; }

}  // namespace ui
