#include "message/message_line.h"

#include "message/charset.h"
#include "message/hex_cells.h"

#include <string_view>

namespace pds {

namespace {

std::vector<std::string> ruler_for(int cells) {
    if (cells == 20)
        return {"0", "5", "10", "15", "20"};
    return {"0", "5", "10", "15", "20", "21", "25", "30", "35", "40"};
}

std::string_view character_at(const std::vector<std::string_view>& characters, std::size_t i) {
    return i < characters.size() ? characters[i] : std::string_view();
}

void convert_to_hex(MessageLine& line, const CodePageCharacters& page) {
    for (int k = 1; k <= line.cells; ++k) {
        // An empty character cell leaves its hex cell as it is, which is empty.
        if (!line.chars[k].empty())
            line.hex[k] = hex_cell_text(code_of_cell_text(page, line.chars[k]).value_or('?'));
        line.chars[k].clear();
    }
}

void convert_to_characters(MessageLine& line, const CodePageCharacters& page) {
    for (int k = 1; k <= line.cells; ++k) {
        const auto digits = split_characters(line.hex[k]);
        line.chars[k] = cell_text_of_code(
            page, hex_pair_value(character_at(digits, 0), character_at(digits, 1)));
        line.hex[k].clear();
    }
}

} // namespace

MessageLine::MessageLine(int cell_count)
    : cells(cell_count), chars(cell_count + 1), hex(cell_count + 1), ruler(ruler_for(cell_count)) {}

void select_view(MessageLine& line, MessageView view, const CodePageCharacters& page) {
    if (line.view == view)
        return;
    if (view == MessageView::Hex)
        convert_to_hex(line, page);
    else
        convert_to_characters(line, page);
    line.view = view;
}

void clear_message_line(MessageLine& line) {
    auto& cells = line.characters_shown() ? line.chars : line.hex;
    for (int k = 1; k <= line.cells; ++k)
        cells[k].clear();
}

std::vector<std::uint8_t> pack_message_line(const MessageLine& line) {
    std::string joined;
    for (int k = 1; k <= line.cells; ++k)
        joined += line.hex[k];
    const auto digits = split_characters(joined);
    std::vector<std::uint8_t> bytes(line.cells);
    for (int k = 0; k < line.cells; ++k)
        bytes[k] = hex_pair_value(character_at(digits, 2 * k), character_at(digits, 2 * k + 1));
    return bytes;
}

void unpack_message_line(MessageLine& line, std::span<const std::uint8_t> bytes,
                         const CodePageCharacters& page) {
    select_view(line, MessageView::Hex, page);
    for (int k = 1; k <= line.cells; ++k)
        line.hex[k] = hex_cell_text(bytes[k - 1]);
    select_view(line, MessageView::Characters, page);
}

} // namespace pds
