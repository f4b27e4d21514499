// The character page: toggling dots, clearing the grid, checking a code and stepping between
// the nine characters. A drawing reaches the image only when the operator steps away from it
// with a valid code.
#pragma once

#include "editor/editor.h"

#include <string>

namespace pds {

// The caption shown at start-up, after the defaults and after a load (two blanks).
inline constexpr const char* udc_first_label = "User Defined Character  1";

// The caption after a step: one blank, then the number as one hex digit.
std::string udc_step_label(int number);

// Toggles the dot in `row` (0..6, top first) of grid column `column` (1..5).
void toggle_dot(Editor& editor, int column, int row);

// Unlights every dot; the code box, the caption and the image keep their values.
void clear_character(Editor& editor);

void next_character(Editor& editor);     // ">>"
void previous_character(Editor& editor); // "<<"

// Checks the code box (one or two characters). On success sets udc_code. On failure shows the
// message, empties the code box and returns false.
bool parse_udc_code(Editor& editor);

// Stores udc_code and the drawn grid in the slot at udc_start; bit 7 of each column is 0.
void map_save(Editor& editor);

// Shows the slot at udc_start in the grid and the code box. Ignores bit 7 of the column bytes.
void map_reset(Editor& editor);

} // namespace pds
