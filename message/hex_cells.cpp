#include "message/hex_cells.h"

namespace pds {

std::optional<std::uint8_t> hex_digit_value(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

std::uint8_t hex_digit_or_zero(std::string_view digit) {
    return digit.size() == 1 ? hex_digit_value(digit[0]).value_or(0) : 0;
}

std::uint8_t hex_pair_value(std::string_view first, std::string_view second) {
    return static_cast<std::uint8_t>(16 * hex_digit_or_zero(first) + hex_digit_or_zero(second));
}

char hex_digit_char(unsigned value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

std::string hex_cell_text(std::uint8_t value) {
    return {hex_digit_char(value >> 4u), hex_digit_char(value)};
}

} // namespace pds
