// The display's two lines of twenty characters as its runtime commands leave them, and the
// cursor and modes those commands work with.
#pragma once

#include "message/charset.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pds::display {

// What someone looking at the display sees.
struct Screen {
    static constexpr int rows = 2;
    static constexpr int columns = 20;
    static constexpr std::uint8_t blank = 0x20;

    std::array<std::array<std::uint8_t, columns>, rows> cells = blank_cells();
    // The level byte of the last brightness command, as it came; nothing before any.
    std::optional<std::uint8_t> brightness;
    int self_tests = 0;

    bool operator==(const Screen&) const = default;

    static std::array<std::array<std::uint8_t, columns>, rows> blank_cells();
};

// Where a character that meets the right end of a line goes.
enum class TextMode {
    overwrite,         // on to the start of the other line
    vertical_scroll,   // past the lower line, the lower line moves up and a blank one comes
    horizontal_scroll, // the line moves left under the cursor
};

// The screen and what the commands keep between them.
struct RuntimeState {
    Screen screen;
    int row = 0;
    // Can stand one past the last column: the next character decides what happens.
    int column = 0;
    TextMode mode = TextMode::overwrite;
    bool cursor_shown = true;
    // After a line command of a set that has it: other commands are ignored until a clear.
    bool string_mode = false;
    // Whether the bytes are for the display; when only the printer behind it is selected,
    // everything but the next selection passes on to the printer.
    bool display_selected = true;
    // Screens shown for a moment while the last command ran, oldest first.
    std::vector<Screen> passing;
    // Bytes the display answers to its commands, for the host.
    std::vector<std::uint8_t> replies;

    // The power-on state of everything but the brightness and the self-test count, which
    // stay what the last commands set.
    void reset();
    void clear();
    void clear_line(int line);
    void home();
    void move_to(int line, int col);
    // The code shown at the cursor, the cursor moving on as the mode says.
    void put(std::uint8_t code);
    // A whole line replaced: its first twenty codes, blanks after a shorter text.
    void set_line(int line, std::span<const std::uint8_t> codes);
    // The cursor moves, each as the mode says at the edge of the screen: one to the right, one
    // to the left, one line down, one line up.
    void cursor_right();
    void cursor_left();
    void line_feed();
    void cursor_up();
    void scroll_up();
    void scroll_down();
};

// A line of the screen in UTF-8, each code through the code page's characters; a code the
// page leaves without a character shows as U+FFFD.
std::string screen_line_text(const Screen& screen, int line, const CodePageCharacters& page);

// The screen file: `|line 1|`, `|line 2|`, `brightness <XX or default>`, and once a self-test
// ran, `self-test <count>`; each line ends in a newline.
std::string screen_file_text(const Screen& screen, const CodePageCharacters& page);

} // namespace pds::display
