// The 5 x 7 glyphs of the code pages the display offers, generated into glyph_data.cpp by
// scripts/make_glyphs.py.
#pragma once

#include "message/charset.h"
#include "udc/dot_grid.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace pds {

inline constexpr int first_glyph_code = 0x20; // below it only user-defined characters show
inline constexpr int glyph_code_count = 0x100 - first_glyph_code;
inline constexpr std::uint16_t no_glyph = 0xFFFF;

// One glyph, top row first; bit 4 of a row is the leftmost column.
using GlyphRows = std::array<std::uint8_t, udc_rows>;

// A code page's glyphs: for each code from first_glyph_code on, its index in glyph_shapes()
// or no_glyph; and the character each code stands for, from the same charmap.
struct GlyphTable {
    std::string_view code_page; // as the code page list names it in parentheses, e.g. "CP-437"
    std::array<std::uint16_t, glyph_code_count> shape;
    CodePageCharacters characters;
};

// A character that a user-defined character can show where the code page lacks it.
struct SignGlyph {
    char32_t code_point;
    std::uint16_t shape; // index in glyph_shapes()
};

std::span<const GlyphRows> glyph_shapes();
std::span<const GlyphTable> glyph_tables();
std::span<const SignGlyph> sign_glyph_table(); // by code point, ascending

} // namespace pds
