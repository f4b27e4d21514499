#include "commands/udc_page.h"

#include "message/hex_cells.h"
#include "udc/slot_codec.h"

#include <algorithm>
#include <span>

namespace pds {

namespace {

struct Step {
    int limit;     // udc_number at which the button does nothing
    int direction; // +1 or -1
};

void step(Editor& editor, Step how) {
    if (editor.udc_number == how.limit)
        return;
    // An empty code box moves on without storing: the slot left behind keeps its bytes.
    if (!editor.model.character_code.empty()) {
        if (!parse_udc_code(editor))
            return;
        map_save(editor);
    }
    editor.udc_number = static_cast<std::uint8_t>(editor.udc_number + how.direction);
    editor.model.character_caption = udc_step_label(editor.udc_number);
    editor.udc_start = static_cast<std::uint8_t>(editor.udc_start + how.direction * udc_slot_size);
    map_reset(editor);
}

} // namespace

std::string udc_step_label(int number) {
    return std::string("User Defined Character ") + hex_digit_char(static_cast<unsigned>(number));
}

void toggle_dot(Editor& editor, int column, int row) {
    auto& grid = editor.model.character_dots;
    grid.set(column, row, !grid.lit(column, row));
}

void clear_character(Editor& editor) {
    editor.model.character_dots = DotGrid{};
}

void next_character(Editor& editor) {
    step(editor, {udc_count, +1});
}
void previous_character(Editor& editor) {
    step(editor, {1, -1});
}

bool parse_udc_code(Editor& editor) {
    const ParsedUdcCode parsed = parse_udc_code_text(editor.model.character_code);
    if (!parsed.code) {
        editor.services.boxes.show(parsed.refusal);
        editor.model.character_code.clear();
        return false;
    }
    editor.udc_code = *parsed.code;
    return true;
}

void map_save(Editor& editor) {
    const int start = editor.udc_start;
    editor.image[start] = editor.udc_code;
    const ColumnBytes columns = columns_of_dots(editor.model.character_dots);
    std::copy(columns.begin(), columns.end(), editor.image.bytes.begin() + start + 1);
}

void map_reset(Editor& editor) {
    const int start = editor.udc_start;
    editor.model.character_code = udc_code_text(editor.image[start]);
    editor.model.character_dots =
        dots_of_columns(std::span(editor.image.bytes).subspan(start + 1).first<udc_columns>());
}

} // namespace pds
