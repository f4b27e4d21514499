// The character page: toggling dots, clearing the grid, checking a code and stepping between
// the nine characters. A drawing reaches the image only when the operator steps away from it
// with a valid code.
#pragma once

#include "editor/editor.h"

#include <cstdint>
#include <string>

namespace pds {

inline constexpr const char* udc_hex_error = "Hex Value Error !!";
inline constexpr const char* udc_range_error = "Error !! Range is 0x20~0x7E !!";
inline constexpr std::uint8_t udc_lowest_code = 0x20;
inline constexpr std::uint8_t udc_highest_code = 0x7E;

// The caption shown at start-up, after the defaults and after a load (two blanks).
inline constexpr const char* udc_first_label = "User Defined Character  1";

// The caption after a step: one blank, then the number as one hex digit.
std::string udc_step_label(int number);

// Toggles dot `index` (row 0..6, top first) of grid column `column` (1..5).
void map_Click(Editor& editor, int column, int index);
void map1_Click(Editor& editor, int index);
void map2_Click(Editor& editor, int index);
void map3_Click(Editor& editor, int index);
void map4_Click(Editor& editor, int index);
void map5_Click(Editor& editor, int index);

// Unlights every dot; the code box, the caption and the image keep their values.
void MAP_Clear_Click(Editor& editor);

void UDC_NEXT_Click(Editor& editor); // ">>"
void UDC_UP_Click(Editor& editor);   // "<<"

// Checks UDC_TEXT (one or two characters). On success sets udc_code. On failure shows the
// message, empties UDC_TEXT and returns false.
bool parse_udc_code(Editor& editor);

} // namespace pds
