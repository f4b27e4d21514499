// The preview as vfdctl prints it: each cell's dots at its place in the row, in braille or
// in '#' and '.', and the codes without a glyph named by line and cell.
#include "preview_text.h"

#include "glyphs/dot_preview.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pds {
namespace {

using namespace cli;

constexpr std::uint8_t cp_437 = 0;
constexpr int cell_width = udc_columns + 1; // the blank column between cells
constexpr int ascii_row_lines = udc_rows + 1;

// Line 1: a letter, a user-defined character, an empty cell, a code without a glyph; line 2
// ends in one more code without a glyph, in the display's third row.
ImageBytes fixture() {
    ImageBytes image{};
    at_position(image, position::code_page) = cp_437;
    const std::uint8_t line1[] = {'A', 'B', 0x00, 0x01};
    for (int i = 0; i < 4; ++i)
        at_position(image, position::welcome_line1 + i) = line1[i];
    at_position(image, position::welcome_line2 + 39) = 0x7F;
    at_position(image, position::welcome_line2 + 38) = 0x1F;
    // A box with a dot in the middle, over 'B'.
    const int slot = udc_slot_start(3);
    at_position(image, slot) = 'B';
    const std::uint8_t box[] = {0x7F, 0x41, 0x49, 0x41, 0x7F};
    for (int c = 0; c < udc_columns; ++c)
        at_position(image, slot + 1 + c) = box[c];
    return image;
}

// The dots of one cell of the first row, as the ASCII preview prints them.
std::vector<std::string> ascii_cell(const std::vector<std::string>& lines, int row, int cell) {
    std::vector<std::string> dots;
    for (int r = 0; r < udc_rows; ++r)
        dots.push_back(lines.at(row * ascii_row_lines + r).substr(cell * cell_width, udc_columns));
    return dots;
}

TEST(PreviewText, AsciiPutsEachCellsDotsInItsPlace) {
    const auto lines = preview_text(fixture(), DotStyle::Ascii);
    struct Case {
        int row;
        int cell;
        std::vector<std::string> dots;
    };
    const Case cases[] = {
        {0, 0, {".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."}}, // A
        {0, 1, {"#####", "#...#", "#...#", "#.#.#", "#...#", "#...#", "#####"}}, // over B
        {0, 2, {".....", ".....", ".....", ".....", ".....", ".....", "....."}}, // empty
        {0, 3, {"#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#"}}, // hatched
        {1, 0, {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
        {2, 18, {"#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ascii_cell(lines, c.row, c.cell), c.dots)
            << "row " << c.row << " cell " << c.cell;
    // Rows of 20 cells with one blank column between them, and a blank line between rows.
    for (int row = 0; row < preview_rows; ++row) {
        for (int r = 0; r < udc_rows; ++r) {
            const std::string& line = lines.at(row * ascii_row_lines + r);
            EXPECT_EQ(line.size(), std::size_t(preview_row_cells * cell_width - 1));
            for (int cell = 1; cell < preview_row_cells; ++cell)
                EXPECT_EQ(line[cell * cell_width - 1], ' ');
        }
        if (row + 1 < preview_rows) {
            EXPECT_EQ(lines.at(row * ascii_row_lines + udc_rows), "");
        }
    }
}

TEST(PreviewText, CodesWithoutGlyphAreNamedAfterTheRowsEscaped) {
    for (const auto style : {DotStyle::Ascii, DotStyle::Braille}) {
        const auto lines = preview_text(fixture(), style);
        const std::vector<std::string> tail(lines.end() - 3, lines.end());
        EXPECT_EQ(tail, (std::vector<std::string>{
                            "line 1, cell 4: \"\\x01\" has no glyph; drawn hatched",
                            "line 2, cell 39: \"\\x1F\" has no glyph; drawn hatched",
                            "line 2, cell 40: \"\\x7F\" has no glyph; drawn hatched",
                        }));
        // The last row's dots come right before them.
        EXPECT_NE(lines.at(lines.size() - 4), "");
    }
}

TEST(PreviewText, BraillePacksTwoColumnsAndFourRowsOfDotsACharacter) {
    const auto lines = preview_text(fixture(), DotStyle::Braille);
    // Two text lines a row (the eighth dot row is blank), a blank line between rows.
    ASSERT_EQ(lines.size(), 3u * 2 + 2 + 3);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[5], "");
    const std::string blank = "\u2800";
    const auto cell = [&](int line, int cell) {
        return lines.at(line).substr(cell * 3 * blank.size(), 3 * blank.size());
    };
    EXPECT_EQ(cell(0, 1), "\u284F\u2849\u2847"); // the box: its top and sides, the dot
    EXPECT_EQ(cell(1, 1), "\u2827\u2824\u2807"); // the box's bottom
    EXPECT_EQ(cell(0, 0), "\u28CE\u28F1\u2800"); // A: its arch and bar
    EXPECT_EQ(cell(0, 2), blank + blank + blank);
    for (int line : {0, 1, 3, 4, 6, 7})
        EXPECT_EQ(lines[line].size(), preview_row_cells * 3 * blank.size()) << line;
}

} // namespace
} // namespace pds
