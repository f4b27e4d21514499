#include "commands/defaults.h"

#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "settings/option_lists.h"

#include <string_view>

namespace pds {

namespace {
void write_character_cells(MessageLine& line, std::string_view text) {
    for (int k = 1; k <= line.cells; ++k)
        line.chars[k] = k <= static_cast<int>(text.size()) ? std::string(1, text[k - 1]) : "";
}
} // namespace

void set_all_default(Editor& editor) {
    auto& model = editor.model;
    model.display_baud.select(0);
    model.code_page.select(0);
    model.command_set.select(default_command);
    model.passthru_mode.select(0);

    // A line in its hex view is converted back first, so the texts land in the shown cells.
    select_view(model.line1, MessageView::Characters, chosen_characters(model));
    select_view(model.line2, MessageView::Characters, chosen_characters(model));
    forget_missing_characters(editor);
    write_character_cells(model.line1, default_line1);
    write_character_cells(model.line2, default_line2);

    // Only slot 1's code byte and columns 1..3: its columns 4 and 5 and the other eight slots
    // keep their bytes and go out with the next save or write, as they always have.
    for (int p = position::udc_table; p <= position::udc_table + 3; ++p)
        editor.image[p] = 0;

    editor.udc_start = first_udc_start;
    editor.udc_number = 1;
    model.character_code.clear();
    model.character_caption = udc_first_label;
    clear_character(editor);
}

} // namespace pds
