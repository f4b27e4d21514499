#include "udc/slot_codec.h"

#include "message/charset.h"
#include "message/hex_cells.h"

namespace pds {

DotGrid dots_of_columns(std::span<const std::uint8_t, udc_columns> columns) {
    DotGrid dots;
    for (int column = 1; column <= udc_columns; ++column)
        for (int row = 0; row < udc_rows; ++row)
            dots.set(column, row, (columns[column - 1] >> row) & 1u);
    return dots;
}

ColumnBytes columns_of_dots(const DotGrid& dots) {
    ColumnBytes columns{};
    for (int column = 1; column <= udc_columns; ++column)
        for (int row = 0; row < udc_rows; ++row)
            if (dots.lit(column, row))
                columns[column - 1] |= static_cast<std::uint8_t>(1u << row);
    return columns;
}

std::array<std::string, udc_rows> dot_rows(const DotGrid& dots) {
    std::array<std::string, udc_rows> rows;
    for (int row = 0; row < udc_rows; ++row)
        for (int column = 1; column <= udc_columns; ++column)
            rows[row] += dots.lit(column, row) ? '#' : '.';
    return rows;
}

std::string udc_code_text(std::uint8_t code) {
    std::string text;
    if (code >= 0x10)
        text += hex_digit_char(code >> 4);
    if (code != 0)
        text += hex_digit_char(code & 0x0F);
    return text;
}

namespace {
// Only 0-9, A-F and a-f are digits here; unlike the message cells, a code is never guessed.
std::optional<std::uint8_t> digit_value(std::string_view character) {
    if (character.size() != 1)
        return std::nullopt;
    return hex_digit_value(character[0]);
}
} // namespace

ParsedUdcCode parse_udc_code_text(std::string_view text) {
    const auto characters = split_characters(text);
    if (characters.empty())
        return {std::nullopt, udc_hex_error};
    int value = 0;
    // The first character is examined only in a text of two or more; its failure is the only
    // message shown.
    if (characters.size() >= 2) {
        const auto high = digit_value(characters.front());
        if (!high)
            return {std::nullopt, udc_hex_error};
        value = *high * 16;
    }
    const auto low = digit_value(characters.back());
    if (!low)
        return {std::nullopt, udc_hex_error};
    value += *low;
    if (value < udc_lowest_code || value > udc_highest_code)
        return {std::nullopt, udc_range_error};
    return {static_cast<std::uint8_t>(value), nullptr};
}

} // namespace pds
