// Hexadecimal digits of the message cells. Lenient by design: anything that is not a hex
// digit counts as 0 and is never reported.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pds {

// 0-9, A-F or a-f to its value; anything else is no digit. Callers choose how lenient to be.
std::optional<std::uint8_t> hex_digit_value(char c);

// One digit text (empty or one character) to its value 0..15.
std::uint8_t StrToDec(std::string_view digit);

// First digit as the high half, second as the low half.
std::uint8_t hex_pair_value(std::string_view first, std::string_view second);

// Two upper-case digits, e.g. 5 -> "05", 171 -> "AB".
std::string hex_cell_text(std::uint8_t value);

} // namespace pds
