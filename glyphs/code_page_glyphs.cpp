#include "glyphs/code_page_glyphs.h"

#include "settings/option_lists.h"

#include <algorithm>

namespace pds {

const GlyphTable* glyph_table_of_entry(std::string_view entry) {
    const auto open = entry.find('(');
    const auto close = entry.find(')', open);
    if (open == std::string_view::npos || close == std::string_view::npos)
        return nullptr;
    const auto name = entry.substr(open + 1, close - open - 1);
    for (const auto& table : glyph_tables())
        if (table.code_page == name)
            return &table;
    return nullptr;
}

const GlyphTable* glyph_table_of_code_page(std::uint8_t code_page) {
    if (code_page >= char_entries.size())
        return nullptr;
    return glyph_table_of_entry(char_entries[code_page]);
}

namespace {

DotGrid dots_of_shape(std::uint16_t index) {
    const auto& rows = glyph_shapes()[index];
    DotGrid dots;
    for (int row = 0; row < udc_rows; ++row)
        for (int column = 1; column <= udc_columns; ++column)
            dots.set(column, row, (rows[row] >> (udc_columns - column)) & 1);
    return dots;
}

CodePageCharacters ascii_characters() {
    CodePageCharacters characters{};
    for (char32_t code = 0x20; code < 0x7F; ++code)
        characters[code] = code;
    return characters;
}

} // namespace

std::optional<DotGrid> glyph_dots(const GlyphTable& table, std::uint8_t code) {
    if (code < first_glyph_code)
        return std::nullopt;
    const auto index = table.shape[code - first_glyph_code];
    if (index == no_glyph)
        return std::nullopt;
    return dots_of_shape(index);
}

const CodePageCharacters& characters_of_code_page(std::uint8_t code_page) {
    static const CodePageCharacters ascii = ascii_characters();
    const GlyphTable* table = glyph_table_of_code_page(code_page);
    return table ? table->characters : ascii;
}

std::optional<DotGrid> sign_dots(char32_t code_point) {
    const auto signs = sign_glyph_table();
    const auto found = std::lower_bound(
        signs.begin(), signs.end(), code_point,
        [](const SignGlyph& sign, char32_t wanted) { return sign.code_point < wanted; });
    if (found == signs.end() || found->code_point != code_point)
        return std::nullopt;
    return dots_of_shape(found->shape);
}

} // namespace pds
