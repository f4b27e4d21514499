// The characters of the message cells: each code stands for its character in the code page the
// display is set to. Cell texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pds {

// The character each code stands for in one code page, as a Unicode code point; 0 where the page
// has none: code 0, the control codes and the codes the page leaves unassigned.
using CodePageCharacters = std::array<char32_t, 256>;

// The text a character cell holds for a code: empty for 0, the code's character where the page
// has one, and otherwise a stand-in that no page holds (the control character of the same value
// below 0xA0, the private-use character U+F700 plus the code from 0xA0 on), which the cell
// shows as the code's two hexadecimal digits, dimmed.
std::string cell_text_of_code(const CodePageCharacters& page, std::uint8_t code);

// The code the first character of a cell text stands for in the page: 0 for the empty text,
// nothing when the page lacks that character.
std::optional<std::uint8_t> code_of_cell_text(const CodePageCharacters& page,
                                              std::string_view text);

// The code a stand-in stands for; nothing for every other text.
std::optional<std::uint8_t> code_of_stand_in(std::string_view text);

// The text cut into its characters (a malformed UTF-8 byte counts as a character).
std::vector<std::string_view> split_characters(std::string_view text);

// The code point of one character as split_characters cuts it (U+FFFD for a malformed byte),
// and a code point's UTF-8 text.
char32_t code_point_of(std::string_view character);
std::string utf8_of(char32_t code_point);

} // namespace pds
