// The two welcome-message lines: switching views, clearing, and moving a line between its
// hexadecimal cells and its image bytes.
#pragma once

#include "editor/controls.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pds {

// Selecting an option (Op_LnA / Op_LnH). Converts the line only when the view changes.
void select_view(MessageLine& line, MessageView view);

// CLR_MSG1 / CLR_MSG2: empties the cells of the shown view.
void clear_message_line(MessageLine& line);

// The line's bytes, from its hexadecimal cells joined and cut into digit pairs.
// The line must be in its hexadecimal view.
std::vector<std::uint8_t> pack_message_line(const MessageLine& line);

// Shows the bytes in the line's hexadecimal cells and ends in the character view.
void unpack_message_line(MessageLine& line, std::span<const std::uint8_t> bytes);

} // namespace pds
