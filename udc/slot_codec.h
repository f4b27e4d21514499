// The nine user-defined characters inside the image: where each slot lies, and how its code
// byte and column bytes read as a code box text and a grid of dots.
#pragma once

#include "settings/settings_image.h"
#include "udc/dot_grid.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pds {

inline constexpr int udc_count = 9;
inline constexpr int udc_slot_size = 6; // code byte, then one byte per column

// Image position of the code byte of character `number` (1..9); its columns follow it.
constexpr int udc_slot_start(int number) {
    return position::udc_table + udc_slot_size * (number - 1);
}
static_assert(udc_slot_start(udc_count) + udc_slot_size - 1 == position::udc_table_end);

using ColumnBytes = std::array<std::uint8_t, udc_columns>;

// Bit r of a column byte is the dot in row r (row 0 on top). Bit 7 is no dot: it is ignored
// here and written 0 by columns_of_dots.
DotGrid dots_of_columns(std::span<const std::uint8_t, udc_columns> columns);
ColumnBytes columns_of_dots(const DotGrid& dots);

// The dots top row first, '#' lit and '.' unlit.
std::array<std::string, udc_rows> dot_rows(const DotGrid& dots);

// A code as the code box shows it: upper-case hex without leading zeros, empty for 0.
std::string udc_code_text(std::uint8_t code);

inline constexpr const char* udc_hex_error = "Hex Value Error !!";
inline constexpr const char* udc_range_error = "Error !! Range is 0x20~0x7E !!";
inline constexpr std::uint8_t udc_lowest_code = 0x20;
inline constexpr std::uint8_t udc_highest_code = 0x7E;

// A code box text (one or two characters, each 0-9, A-F or a-f) as a code in 0x20..0x7E, or
// the message that refuses it.
struct ParsedUdcCode {
    std::optional<std::uint8_t> code;
    const char* refusal = nullptr;
};
ParsedUdcCode parse_udc_code_text(std::string_view text);

} // namespace pds
