// The nine user-defined characters inside the image, and the two routines that move one of
// them between its slot and the character page.
#pragma once

#include "editor/editor.h"
#include "settings/settings_image.h"

#include <cstdint>
#include <string>

namespace pds {

inline constexpr int udc_count = 9;
inline constexpr int udc_slot_size = 6; // code byte, then one byte per column
inline constexpr int udc_columns = 5;
inline constexpr int udc_rows = 7;

// Image position of the code byte of character `number` (1..9); its columns follow it.
constexpr int udc_slot_start(int number) {
    return position::udc_table + udc_slot_size * (number - 1);
}

static_assert(udc_slot_start(1) == first_udc_start);
static_assert(udc_slot_start(udc_count) + udc_slot_size - 1 == position::udc_table_end);

// A code as the code box shows it: upper-case hex without leading zeros, empty for 0.
std::string udc_code_text(std::uint8_t code);

// Stores udc_code and the drawn grid in the slot at udc_start. Bit r of a column byte is the
// dot in row r (row 0 on top); bit 7 is always written 0.
void map_save(Editor& editor);

// Shows the slot at udc_start in the grid and the code box. Ignores bit 7 of the column bytes.
void map_reset(Editor& editor);

} // namespace pds
