#include "settings/defaults.h"

#include "message/message_editor.h"
#include "settings/option_lists.h"
#include "udc/udc_editor.h"

#include <string_view>

namespace pds {

namespace {
void write_ascii_cells(MessageLine& line, std::string_view text) {
    for (int k = 1; k <= line.cells; ++k)
        line.A[k] = k <= static_cast<int>(text.size()) ? std::string(1, text[k - 1]) : "";
}
} // namespace

void SetAllDefault_Click(Editor& editor) {
    auto& model = editor.model;
    model.BaudRate.select(0);
    model.Char.select(0);
    model.Command.select(default_command);
    model.Passthru.select(0);

    // A line in its hex view is converted back first, so the texts land in the shown cells.
    select_view(model.L1, MessageView::Ascii);
    select_view(model.L2, MessageView::Ascii);
    write_ascii_cells(model.L1, default_line1);
    write_ascii_cells(model.L2, default_line2);

    // Only slot 1's code byte and columns 1..3: its columns 4 and 5 and the other eight slots
    // keep their bytes and go out with the next save or write, as they always have.
    for (int p = position::udc_table; p <= position::udc_table + 3; ++p)
        editor.image[p] = 0;

    editor.udc_start = first_udc_start;
    editor.udc_number = 1;
    model.UDC_TEXT.clear();
    model.UDC_label = udc_first_label;
    MAP_Clear_Click(editor);
}

} // namespace pds
