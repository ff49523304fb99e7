#include "export/list_export.h"

#include "app/texts.h"
#include "export/current_directory.h"
#include "export/write_to_file.h"
#include "ui/controls.h"

namespace exporting {

void ExportList(ui::Control list, const char* fileName, ui::Control viewButton)
{
    // One growing buffer: the text is built in time linear in its size.
    app::TextBuilder exportText;
    const int count = ui::ListItemCount(list);
    for (int i = 0; i < count; ++i) {
        app::Text item = ui::ListItemText(list, i);
        exportText.Append(item.Get());
        exportText.Append(app::texts::lineEnd);
    }
    app::Text directory = CurrentDirectory();
    app::Text path = app::ConcatTexts({directory.Get(), fileName});
    app::ReleaseText(directory);
    WriteToFile(path.Get(), {{exportText.Data(), exportText.Length()}});
    app::ReleaseText(path);
    ui::EnableButton(viewButton);
}

void Button2Click()
{
    ExportList(ui::Control::ListBox2, app::texts::folderListFileName, ui::Control::Button4);
}

void Button3Click()
{
    ExportList(ui::Control::ListBox1, app::texts::fileListFileName, ui::Control::Button6);
}

}  // namespace exporting
