// The bytes a display speaks at run time, per command set of the image's Command list: clear,
// a line of text, brightness and self-test, each as the writes that carry it. Only commands a
// public manual or driver documents are here (command_sets.cpp names the source beside each);
// an action a set has no documented command for is refused, never guessed. Nothing here writes
// a display's non-volatile memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pds {

// The characters of one display line; each line command carries exactly this many.
inline constexpr int display_line_width = 20;

// Brightness levels as the operator numbers them, 1 (dimmest) to 4 (brightest), in every set
// that has a brightness command.
inline constexpr int brightness_level_count = 4;

// One command as it goes out: a single write, so a display that takes a multi-byte command
// only whole (USB displays do) never sees it split.
using DisplayWrite = std::vector<std::uint8_t>;

// The writes of an action in order, or why the set cannot do it (then `writes` is empty).
struct DisplayWrites {
    std::vector<DisplayWrite> writes;
    std::string refusal;
};

// The code (place in the Command list) of a set name as the list writes it, ignoring case;
// "EPSON" also names "EPSON (Default)". Nothing for a name the list lacks.
std::optional<int> command_set_of_name(std::string_view name);

// The name the Command list gives a code, or "code N" for one outside the list.
std::string command_set_name(int command_set);

// Why a set is not spoken at all, or empty when it is.
std::string command_set_refusal(int command_set);

// Sent once before a test: resets the display to its power-on state (clearing it). Empty writes
// and no refusal when the set has no such command.
DisplayWrites initialize_writes(int command_set);

DisplayWrites clear_writes(int command_set);

// Line 1 or 2 showing `codes`, the text already in the display's code page: cut or padded
// with blanks to display_line_width. Codes below 0x20 and 0x7F are commands in every set and
// are refused.
DisplayWrites line_writes(int command_set, int line, std::span<const std::uint8_t> codes);

// Level 1..brightness_level_count.
DisplayWrites brightness_writes(int command_set, int level);

DisplayWrites self_test_writes(int command_set);

bool has_brightness(int command_set);
bool has_self_test(int command_set);

// True for a set whose line commands make the display ignore every other command until it is
// cleared (CD5220's string mode): anything but a line or a clear must follow a clear there.
bool lines_lock_commands(int command_set);

} // namespace pds
