#include "display_report.h"

#include "settings/option_lists.h"
#include "udc/slot_codec.h"

#include <cstdio>
#include <span>
#include <string_view>

namespace pds::display {

namespace {

std::string hex(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

template <std::size_t N>
std::string entry(const std::array<std::string_view, N>& list, std::uint8_t code) {
    if (code < N)
        return std::string(list[code]);
    return "code " + std::to_string(code) + ", not in the list";
}

// Unused cells are 0 and the display shows nothing there; other codes it cannot print are
// given in hex so that nothing is hidden.
std::string line_text(std::span<const std::uint8_t> cells) {
    std::size_t used = cells.size();
    while (used > 0 && cells[used - 1] == 0)
        --used;
    std::string text = "\"";
    for (std::size_t i = 0; i < used; ++i) {
        const std::uint8_t c = cells[i];
        if (c >= 0x20 && c <= 0x7E && c != '<')
            text += static_cast<char>(c);
        else
            text += "<" + hex(c) + ">";
    }
    return text + "\"";
}

} // namespace

std::string describe_configuration(const ImageBytes& memory) {
    const auto at = [&](int position) { return memory[static_cast<std::size_t>(position - 1)]; };
    std::string out;
    out += "  Display speed:   " + entry(baud_rate_entries, at(position::display_baud)) + "\n";
    out += "  Character table: " + entry(char_entries, at(position::code_page)) + "\n";
    out += "  Command set:     " + entry(command_entries, at(position::command_set)) + "\n";
    out += "  Pass-through:    " + entry(passthru_entries, at(position::passthru_mode)) + "\n";
    const std::span<const std::uint8_t> bytes(memory);
    out += "  Welcome line 1:  " + line_text(bytes.subspan(position::welcome_line1 - 1, 20)) + "\n";
    out += "  Welcome line 2:  " + line_text(bytes.subspan(position::welcome_line2 - 1, 40)) + "\n";

    out += "  User-defined characters (number: code):\n   ";
    for (int n = 1; n <= udc_count; ++n)
        out += "  " + std::to_string(n) + ": " + hex(at(udc_slot_start(n))) + " ";
    out += "\n";
    for (int row = 0; row < udc_rows; ++row) {
        out += "   ";
        for (int n = 1; n <= udc_count; ++n) {
            out += "  ";
            for (int column = 1; column <= udc_columns; ++column)
                out += (at(udc_slot_start(n) + column) >> row) & 1u ? '#' : '.';
            out += " ";
        }
        out += "\n";
    }
    return out;
}

} // namespace pds::display
