// Hexadecimal digits, as the message cells, the character code box and the command line read and
// write them. A message cell is lenient (anything that is not a digit counts as 0); the other
// readers build on the strict hex_digit_value and decide for themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pds {

// 0-9, A-F or a-f to its value; anything else is no digit.
std::optional<std::uint8_t> hex_digit_value(char c);

// The upper-case digit of a value 0..15.
char hex_digit_char(unsigned value);

// One digit text of a message cell (empty or one character) to its value 0..15; anything that
// is not one digit counts as 0 and is never reported.
std::uint8_t hex_digit_or_zero(std::string_view digit);

// First digit as the high half, second as the low half, each read by hex_digit_or_zero.
std::uint8_t hex_pair_value(std::string_view first, std::string_view second);

// Two upper-case digits, e.g. 5 -> "05", 171 -> "AB".
std::string hex_cell_text(std::uint8_t value);

} // namespace pds
