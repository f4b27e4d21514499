#include "message/message_editor.h"

#include "message/charset.h"
#include "message/hex_cells.h"

#include <string_view>

namespace pds {

namespace {

std::string_view character_at(const std::vector<std::string_view>& characters, std::size_t i) {
    return i < characters.size() ? characters[i] : std::string_view();
}

void convert_to_hex(MessageLine& line) {
    for (int k = 1; k <= line.cells; ++k) {
        // An empty character cell leaves its hex cell as it is, which is empty.
        if (!line.A[k].empty())
            line.H[k] = hex_cell_text(code_of_character(line.A[k]));
        line.A[k].clear();
    }
}

void convert_to_ascii(MessageLine& line) {
    for (int k = 1; k <= line.cells; ++k) {
        const auto digits = split_characters(line.H[k]);
        line.A[k] = character_of_code(hex_pair_value(character_at(digits, 0), character_at(digits, 1)));
        line.H[k].clear();
    }
}

} // namespace

void select_view(MessageLine& line, MessageView view) {
    if (line.view == view)
        return;
    if (view == MessageView::Hex)
        convert_to_hex(line);
    else
        convert_to_ascii(line);
    line.view = view;
}

void clear_message_line(MessageLine& line) {
    auto& cells = line.ascii_shown() ? line.A : line.H;
    for (int k = 1; k <= line.cells; ++k)
        cells[k].clear();
}

std::vector<std::uint8_t> pack_message_line(const MessageLine& line) {
    std::string joined;
    for (int k = 1; k <= line.cells; ++k)
        joined += line.H[k];
    const auto digits = split_characters(joined);
    std::vector<std::uint8_t> bytes(line.cells);
    for (int k = 0; k < line.cells; ++k)
        bytes[k] = hex_pair_value(character_at(digits, 2 * k), character_at(digits, 2 * k + 1));
    return bytes;
}

void unpack_message_line(MessageLine& line, std::span<const std::uint8_t> bytes) {
    select_view(line, MessageView::Hex);
    for (int k = 1; k <= line.cells; ++k)
        line.H[k] = hex_cell_text(bytes[k - 1]);
    select_view(line, MessageView::Ascii);
}

} // namespace pds
