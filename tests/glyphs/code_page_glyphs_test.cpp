#include "glyphs/code_page_glyphs.h"

#include "settings/option_lists.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pds;

namespace {

using Rows = std::array<std::string, udc_rows>;

const GlyphTable& table_named(std::string_view code_page) {
    const auto* table = glyph_table_of_entry("(" + std::string(code_page) + ")");
    if (!table)
        throw std::runtime_error("no table " + std::string(code_page));
    return *table;
}

Rows rows_of(std::string_view code_page, std::uint8_t code) {
    const auto dots = glyph_dots(table_named(code_page), code);
    if (!dots)
        return {};
    return dot_rows(*dots);
}

const Rows letter_a = {".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."};
const Rows euro = {"..##.", ".#...", "###..", "###..", ".#...", "..##.", "....."};

} // namespace

TEST(CodePageGlyphs, KnownCharactersInTheirCodePages) {
    struct Case {
        std::string_view code_page;
        std::uint8_t code;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {"CP-437", 0x9C, {".....", "..##.", ".#...", "###..", ".#...", "#.##.", "....."}}, // £
        {"CP-858", 0xD5, euro},
        {"CP-1252", 0x80, euro},
        {"CP-866", 0x9F, {".###.", "#..#.", "#..#.", ".###.", ".#.#.", "#..#.", "....."}},   // Я
        {"CP-1253", 0xC1, letter_a},                                                         // Α
        {"CP-1255", 0xE0, {".....", ".....", "#..#.", ".#.#.", "#.#..", "#..#.", "....."}},  // א
        {"CP-1255", 0xA4, {".....", "###.#", "#.#.#", "#.#.#", "#.#.#", "#.###", "....."}},  // ₪
        {"Katakana", 0xB1, {"#####", "....#", "..#.#", "..##.", "..#..", "..#..", ".#..."}}, // ｱ
        {"Katakana", 0xC6, {".....", ".###.", ".....", ".....", ".....", ".....", "#####"}}, // ﾆ
        {"CP-437", 0x20, {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rows_of(c.code_page, c.code), c.rows) << c.code_page << " " << int(c.code);
}

TEST(CodePageGlyphs, EveryCodePageOfTheListHasATableWithAsciiLetters) {
    for (std::size_t code_page = 0; code_page < char_entries.size(); ++code_page) {
        const auto* table = glyph_table_of_code_page(static_cast<std::uint8_t>(code_page));
        ASSERT_NE(table, nullptr) << char_entries[code_page];
        const auto dots = glyph_dots(*table, 'A');
        ASSERT_TRUE(dots) << char_entries[code_page];
        EXPECT_EQ(dot_rows(*dots), letter_a) << char_entries[code_page];
    }
}

TEST(CodePageGlyphs, EntryNamesItsTableInItsFirstParentheses) {
    EXPECT_EQ(glyph_table_of_entry("US English (CP-437)  (Default)")->code_page, "CP-437");
    EXPECT_EQ(glyph_table_of_entry("Bulgaria (CP-1252)")->code_page, "CP-1252");
    EXPECT_EQ(glyph_table_of_entry("Katakana (Katakana)")->code_page, "Katakana");
    EXPECT_EQ(glyph_table_of_entry("850+Euro Sign at 0xD5 (CP-858)")->code_page, "CP-858");
    EXPECT_EQ(glyph_table_of_entry("Klingon (CP-999)"), nullptr);
    EXPECT_EQ(glyph_table_of_entry("no parentheses"), nullptr);
    EXPECT_EQ(glyph_table_of_code_page(static_cast<std::uint8_t>(char_entries.size())), nullptr);
}

TEST(CodePageGlyphs, CodesWithoutGlyphs) {
    // Controls, codes the charmap leaves unassigned, marks and Katakana codes beyond the kana.
    EXPECT_FALSE(glyph_dots(table_named("CP-437"), 0x1F));
    EXPECT_FALSE(glyph_dots(table_named("CP-437"), 0x7F));
    EXPECT_FALSE(glyph_dots(table_named("CP-1252"), 0x81));
    EXPECT_FALSE(
        glyph_dots(table_named("CP-1255"), 0xC0)); // a Hebrew point, shown only on a letter
    EXPECT_FALSE(glyph_dots(table_named("Katakana"), 0xA0));
    EXPECT_FALSE(glyph_dots(table_named("Katakana"), 0xE0));
    EXPECT_TRUE(glyph_dots(table_named("Katakana"), 0xDF));
}
