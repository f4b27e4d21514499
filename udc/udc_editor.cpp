#include "udc/udc_editor.h"

#include "message/charset.h"
#include "message/hex_cells.h"
#include "udc/slot_codec.h"

#include <optional>
#include <string_view>

namespace pds {

namespace {

// Only 0-9, A-F and a-f are digits here; unlike the message cells, a code is never guessed.
std::optional<std::uint8_t> digit_value(std::string_view character) {
    if (character.size() != 1)
        return std::nullopt;
    return hex_digit_value(character[0]);
}

bool refuse(Editor& editor, const char* message) {
    editor.platform.boxes.show(message);
    editor.model.UDC_TEXT.clear();
    return false;
}

struct Step {
    int limit;     // udc_number at which the button does nothing
    int direction; // +1 or -1
};

void step(Editor& editor, Step how) {
    if (editor.udc_number == how.limit)
        return;
    // An empty code box moves on without storing: the slot left behind keeps its bytes.
    if (!editor.model.UDC_TEXT.empty()) {
        if (!parse_udc_code(editor))
            return;
        map_save(editor);
    }
    editor.udc_number = static_cast<std::uint8_t>(editor.udc_number + how.direction);
    editor.model.UDC_label = udc_step_label(editor.udc_number);
    editor.udc_start = static_cast<std::uint8_t>(editor.udc_start + how.direction * udc_slot_size);
    map_reset(editor);
}

} // namespace

std::string udc_step_label(int number) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return std::string("User Defined Character ") + digits[number & 0x0F];
}

void map_Click(Editor& editor, int column, int index) {
    auto& grid = editor.model.map;
    grid.set(column, index, !grid.lit(column, index));
}

void map1_Click(Editor& editor, int index) {
    map_Click(editor, 1, index);
}
void map2_Click(Editor& editor, int index) {
    map_Click(editor, 2, index);
}
void map3_Click(Editor& editor, int index) {
    map_Click(editor, 3, index);
}
void map4_Click(Editor& editor, int index) {
    map_Click(editor, 4, index);
}
void map5_Click(Editor& editor, int index) {
    map_Click(editor, 5, index);
}

void MAP_Clear_Click(Editor& editor) {
    editor.model.map = DotGrid{};
}

void UDC_NEXT_Click(Editor& editor) {
    step(editor, {udc_count, +1});
}
void UDC_UP_Click(Editor& editor) {
    step(editor, {1, -1});
}

bool parse_udc_code(Editor& editor) {
    const auto characters = split_characters(editor.model.UDC_TEXT);
    if (characters.empty())
        return refuse(editor, udc_hex_error);
    int value = 0;
    // The first character is examined only in a text of two or more; its failure is the only
    // message shown.
    if (characters.size() >= 2) {
        const auto high = digit_value(characters.front());
        if (!high)
            return refuse(editor, udc_hex_error);
        value = *high * 16;
    }
    const auto low = digit_value(characters.back());
    if (!low)
        return refuse(editor, udc_hex_error);
    value += *low;
    if (value < udc_lowest_code || value > udc_highest_code)
        return refuse(editor, udc_range_error);
    editor.udc_code = static_cast<std::uint8_t>(value);
    return true;
}

} // namespace pds
