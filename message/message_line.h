// The two welcome-message lines: their cells in both views, switching views, clearing, and
// moving a line between its hexadecimal cells and its image bytes.
#pragma once

#include "message/charset.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pds {

enum class MessageView { Characters, Hex };

// One welcome-message line: its character cells and its hexadecimal cells, which view is
// shown, and the ruler labels over the cells.
struct MessageLine {
    explicit MessageLine(int cell_count);

    int cells;                      // 20 for line 1, 40 for line 2
    std::vector<std::string> chars; // character cells, indexed 1..cells (index 0 unused)
    std::vector<std::string> hex;   // hexadecimal cells, indexed 1..cells (index 0 unused)
    MessageView view = MessageView::Characters;

    // Both views carry the same ruler; only the shown view's labels are visible.
    std::vector<std::string> ruler;
    bool characters_shown() const { return view == MessageView::Characters; }
    bool hex_shown() const { return view == MessageView::Hex; }

    bool operator==(const MessageLine&) const = default;
};

// Choosing a view. Converts the line only when the view changes, through the characters of the
// display's code page. A character cell whose text the page lacks, which no command lets in,
// becomes '?'.
void select_view(MessageLine& line, MessageView view, const CodePageCharacters& page);

// Empties the cells of the shown view.
void clear_message_line(MessageLine& line);

// The line's bytes, from its hexadecimal cells joined and cut into digit pairs.
// The line must be in its hexadecimal view.
std::vector<std::uint8_t> pack_message_line(const MessageLine& line);

// Shows the bytes in the line's hexadecimal cells and ends in the character view.
void unpack_message_line(MessageLine& line, std::span<const std::uint8_t> bytes,
                         const CodePageCharacters& page);

} // namespace pds
