#include "glyphs/dot_preview.h"

#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace pds;

namespace {

constexpr std::uint8_t cp_437 = 0;
constexpr std::uint8_t cp_866 = 30;

ImageBytes image_with(std::uint8_t code_page, std::string_view line1, std::string_view line2) {
    ImageBytes image{};
    at_position(image, position::code_page) = code_page;
    for (std::size_t i = 0; i < line1.size(); ++i)
        at_position(image, position::welcome_line1 + static_cast<int>(i)) =
            static_cast<std::uint8_t>(line1[i]);
    for (std::size_t i = 0; i < line2.size(); ++i)
        at_position(image, position::welcome_line2 + static_cast<int>(i)) =
            static_cast<std::uint8_t>(line2[i]);
    return image;
}

void set_udc(ImageBytes& image, int number, std::uint8_t code, ColumnBytes columns) {
    const int start = udc_slot_start(number);
    at_position(image, start) = code;
    for (int c = 0; c < udc_columns; ++c)
        at_position(image, start + 1 + c) = columns[c];
}

using Rows = std::array<std::string, udc_rows>;
const Rows letter_a = {".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."};
const Rows blank = {".....", ".....", ".....", ".....", ".....", ".....", "....."};
const Rows hatch = {"#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#"};
// A box with a dot in the middle, as columns: bit r is row r from the top.
constexpr ColumnBytes box = {0x7F, 0x41, 0x49, 0x41, 0x7F};
const Rows box_rows = {"#####", "#...#", "#...#", "#.#.#", "#...#", "#...#", "#####"};

} // namespace

TEST(DotPreview, CellsTakeTheirGlyphsFromTheChosenCodePage) {
    const auto image = image_with(cp_866, "A\x9F", "");
    const auto preview = render_preview(image);
    EXPECT_EQ(preview.rows[0][0].look, CellLook::Glyph);
    EXPECT_EQ(dot_rows(preview.rows[0][0].dots), letter_a);
    EXPECT_EQ(dot_rows(preview.rows[0][1].dots),
              (Rows{".###.", "#..#.", "#..#.", ".###.", ".#.#.", "#..#.", "....."})); // Я
    EXPECT_TRUE(preview.missing.empty());
}

TEST(DotPreview, UserDefinedCharacterIsDrawnOverItsCode) {
    auto image = image_with(cp_437, "AB", "");
    set_udc(image, 4, 'B', box);
    set_udc(image, 7, 'B', {}); // a later slot with the same code does not show
    set_udc(image, 9, 0x05, box);
    at_position(image, position::welcome_line2) = 0x05; // a control code with a character
    const auto preview = render_preview(image);
    EXPECT_EQ(dot_rows(preview.rows[0][0].dots), letter_a);
    EXPECT_EQ(preview.rows[0][1].look, CellLook::UserDefined);
    EXPECT_EQ(dot_rows(preview.rows[0][1].dots), box_rows);
    EXPECT_EQ(preview.rows[1][0].look, CellLook::UserDefined);
    EXPECT_EQ(dot_rows(preview.rows[1][0].dots), box_rows);
    EXPECT_TRUE(preview.missing.empty());
}

TEST(DotPreview, ZeroIsEmptyAndCodesWithoutGlyphAreHatchedAndListed) {
    // An empty slot (code 0) does not turn code 0 cells into a user-defined character.
    auto image = image_with(cp_437, std::string_view("\0\x01\x7F", 3), "");
    at_position(image, position::welcome_line2 + 39) = 0x1F;
    const auto preview = render_preview(image);
    EXPECT_EQ(preview.rows[0][0].look, CellLook::Empty);
    EXPECT_EQ(dot_rows(preview.rows[0][0].dots), blank);
    EXPECT_EQ(preview.rows[0][1].look, CellLook::Missing);
    EXPECT_EQ(dot_rows(preview.rows[0][1].dots), hatch);
    EXPECT_EQ(preview.rows[0][2].look, CellLook::Missing);
    EXPECT_EQ(preview.rows[2][19].look, CellLook::Missing);
    const std::vector<MissingGlyph> missing = {{1, 2, 0x01}, {1, 3, 0x7F}, {2, 40, 0x1F}};
    EXPECT_EQ(preview.missing, missing);
}

TEST(DotPreview, CodePageOutsideTheListLeavesEveryCodeMissing) {
    const auto preview = render_preview(image_with(200, "A", ""));
    EXPECT_EQ(preview.rows[0][0].look, CellLook::Missing);
    EXPECT_EQ(preview.missing, (std::vector<MissingGlyph>{{1, 1, 'A'}}));
}

TEST(DotPreview, SecondLineFillsTheDisplaysTwoRowsOfTwenty) {
    const auto image = image_with(cp_437, "", "AAAAAAAAAAAAAAAAAAA.B                  C");
    const auto preview = render_preview(image);
    EXPECT_EQ(dot_rows(preview.rows[1][18].dots), letter_a);
    EXPECT_EQ(preview.rows[1][19].code, '.');
    EXPECT_EQ(preview.rows[2][0].code, 'B');
    EXPECT_EQ(preview.rows[2][19].code, 'C');
    EXPECT_EQ(preview.rows[0][0].look, CellLook::Empty);

    const auto texts = dot_texts(preview.rows[2]);
    EXPECT_EQ(texts[0].size(), 20u * 5 + 19);
    EXPECT_EQ(texts[2].substr(0, 6), "###.. "); // B's middle bar, then the gap to the next cell
    EXPECT_EQ(texts[2].substr(texts[2].size() - 5), "#...."); // C
}
