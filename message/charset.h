// The single-byte character set of the message cells: Windows-1252, whose five unassigned
// bytes stand for the C1 controls of the same value, so every byte 1..255 has a character of
// its own and comes back unchanged. Cell texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pds {

// The character a cell shows for a code; empty for code 0.
std::string character_of_code(std::uint8_t code);

// The code of the first character of a text; 0 for the empty text. A character the set
// cannot hold becomes '?', as a single-byte conversion on the desktop does.
std::uint8_t code_of_character(std::string_view text);

// The text cut into its characters (a malformed UTF-8 byte counts as a character).
std::vector<std::string_view> split_characters(std::string_view text);

} // namespace pds
