#include "browse/folder_listing.h"

#include "app/program_state.h"
#include "app/texts.h"
#include "browse/choose_folder.h"
#include "ui/controls.h"

namespace browse {

namespace {

using app::State;
using app::Text;
using ui::Control;

// A drive root such as C:\ is the first three bytes of a path under it.
constexpr std::size_t driveRootLength = 3;

// Runs one search of the current folder to its end, adding each accepted name to `list`.
// `lastName` holds every result in turn, the final empty one included.
void ListEntries(Control list, Text& lastName, std::uint32_t mask, std::int32_t filesOnly,
                 SearchContext& context)
{
    ui::ListFill fill(list);
    Text pattern = app::ConcatTexts({State().currentFolderPath.Get(), app::texts::allEntriesSuffix});
    lastName = DirectorySearch(pattern.Get(), mask, filesOnly, context);
    app::ReleaseText(pattern);
    while (!lastName.IsEmpty()) {
        ui::AddListItem(list, lastName.CStr());
        lastName = DirectorySearch(nullptr, mask, filesOnly, context);
    }
}

}  // namespace

void ListCurrentFolder(SearchContext& context)
{
    app::ProgramState& state = State();
    ListEntries(Control::ListBox1, state.lastFileName, 0, 1, context);
    ListEntries(Control::ListBox2, state.lastFolderName, directoryAttribute, 0, context);
}

void Button1Click()
{
    SearchContext context;
    ui::ClearList(Control::ListBox1);
    ui::ClearList(Control::ListBox2);
    // A cancel gives the empty text, which is stored too: the root of the current drive is listed.
    State().currentFolderPath = ChooseFolder(app::texts::chooserTitle);
    ListCurrentFolder(context);
    ui::EnableButton(Control::Button2);
    ui::EnableButton(Control::Button3);
    CloseDirectorySearch(context);
}

void ListBox2DoubleClick()
{
    SearchContext context;
    Text& path = State().currentFolderPath;
    const int index = ui::SelectedIndex(Control::ListBox2);
    // Item 0 is "." everywhere but in a drive root, where it is the first sub-folder: either way
    // the walk starts from the root. The cut counts bytes and does not parse the path.
    if (index == 0) {
        const std::size_t length = path.Length();
        path = Text::CopyOf(path.CStr(), length < driveRootLength ? length : driveRootLength);
    }
    Text item = ui::ListItemText(Control::ListBox2, index);
    path = app::ConcatTexts({path.Get(), app::texts::pathSeparator, item.Get()});
    app::ReleaseText(item);
    ui::ClearList(Control::ListBox1);
    ui::ClearList(Control::ListBox2);
    ListCurrentFolder(context);
    CloseDirectorySearch(context);
}

}  // namespace browse
