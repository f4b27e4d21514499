// Which glyphs and characters a code page byte of the image stands for, the glyph of a code in
// them, and the glyph of a sign a user-defined character can show instead.
#pragma once

#include "glyphs/glyph_table.h"
#include "udc/dot_grid.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pds {

// The table of the code page a code page list entry names in its first parentheses
// ("Bulgaria (CP-1252)" -> CP-1252); nullptr when no table has that name.
const GlyphTable* glyph_table_of_entry(std::string_view entry);

// The table for a code page byte of the image; nullptr for a byte outside the list.
const GlyphTable* glyph_table_of_code_page(std::uint8_t code_page);

// The dots of a code in a table; nothing when the table has no glyph for it.
std::optional<DotGrid> glyph_dots(const GlyphTable& table, std::uint8_t code);

// The characters of the code page a code page byte names. A byte outside the list has only
// ASCII's printable characters: no page agrees with another above them.
const CodePageCharacters& characters_of_code_page(std::uint8_t code_page);

// The dots of a character drawn as a user-defined character: the font's glyph, or one drawn by
// hand for a sign the font lacks; nothing for a character neither has.
std::optional<DotGrid> sign_dots(char32_t code_point);

} // namespace pds
