#include "commands/udc_page.h"
#include "udc/slot_codec.h"

#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pds;

namespace {

struct MapSlotTest : ::testing::Test, fakes::EditorFixture {
    // Draws a pattern given as seven rows of five characters, X for a lit dot.
    void draw(const std::vector<std::string>& rows) {
        for (int row = 0; row < 7; ++row)
            for (int column = 1; column <= 5; ++column)
                editor.model.character_dots.set(column, row, rows.at(row).at(column - 1) == 'X');
    }
    void show_character(int number) {
        editor.udc_number = static_cast<std::uint8_t>(number);
        editor.udc_start = static_cast<std::uint8_t>(udc_slot_start(number));
    }
    std::vector<std::uint8_t> slot_bytes(int first) const {
        std::vector<std::uint8_t> out;
        for (int p = first; p < first + 6; ++p)
            out.push_back(editor.image[p]);
        return out;
    }
};

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(SlotPositions, NineSlotsOfSixFrom69To122) {
    EXPECT_EQ(udc_slot_start(1), 69);
    EXPECT_EQ(udc_slot_start(3), 81);
    EXPECT_EQ(udc_slot_start(7), 105);
    EXPECT_EQ(udc_slot_start(9), 117);
}

TEST_F(MapSlotTest, OneTopLeftDotUnderCode41) {
    editor.udc_code = 0x41;
    draw({"X....", ".....", ".....", ".....", ".....", ".....", "....."});
    map_save(editor);
    EXPECT_EQ(slot_bytes(69), (Bytes{0x41, 0x01, 0x00, 0x00, 0x00, 0x00}));

    editor.model.character_dots = DotGrid{};
    map_reset(editor);
    EXPECT_EQ(editor.model.character_code, "41");
    DotGrid expected;
    expected.set(1, 0, true);
    EXPECT_EQ(editor.model.character_dots, expected);
}

TEST_F(MapSlotTest, LetterShapeInCharacter3) {
    show_character(3);
    editor.udc_code = 0x48;
    const std::vector<std::string> letter = {"X...X", "X...X", "X...X", "XXXXX",
                                             "X...X", "X...X", "X...X"};
    draw(letter);
    map_save(editor);
    EXPECT_EQ(slot_bytes(81), (Bytes{0x48, 0x7F, 0x08, 0x08, 0x08, 0x7F}));
    EXPECT_EQ(slot_bytes(69), Bytes(6, 0)); // no other slot written
    EXPECT_EQ(slot_bytes(87), Bytes(6, 0));

    const DotGrid drawn = editor.model.character_dots;
    editor.model.character_dots = DotGrid{};
    map_reset(editor);
    EXPECT_EQ(editor.model.character_dots, drawn);
    EXPECT_EQ(editor.model.character_code, "48");
}

TEST_F(MapSlotTest, PatternsGiveTheirColumnBytes) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        Bytes columns;
    };
    const std::vector<Case> cases = {
        {"empty", {".....", ".....", ".....", ".....", ".....", ".....", "....."}, {0, 0, 0, 0, 0}},
        {"full",
         {"XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX"},
         {0x7F, 0x7F, 0x7F, 0x7F, 0x7F}},
        {"bottom row",
         {".....", ".....", ".....", ".....", ".....", ".....", "XXXXX"},
         {0x40, 0x40, 0x40, 0x40, 0x40}},
        {"right column",
         {"....X", "....X", "....X", "....X", "....X", "....X", "....X"},
         {0, 0, 0, 0, 0x7F}},
        {"diagonal",
         {"X....", ".X...", "..X..", "...X.", "....X", ".....", "....."},
         {0x01, 0x02, 0x04, 0x08, 0x10}},
    };
    for (const auto& c : cases) {
        editor.image.clear();
        editor.udc_code = 0x20;
        draw(c.rows);
        map_save(editor);
        Bytes expected{0x20};
        expected.insert(expected.end(), c.columns.begin(), c.columns.end());
        EXPECT_EQ(slot_bytes(69), expected) << c.name;

        const DotGrid drawn = editor.model.character_dots;
        editor.model.character_dots = DotGrid{};
        map_reset(editor);
        EXPECT_EQ(editor.model.character_dots, drawn) << c.name;
    }
}

TEST_F(MapSlotTest, Bit7IsIgnoredOnShowingAndWrittenAsZero) {
    editor.image[69] = 0x41;
    editor.image[70] = 0xFF;
    editor.image[71] = 0x80;
    map_reset(editor);
    for (int row = 0; row < 7; ++row) {
        EXPECT_TRUE(editor.model.character_dots.lit(1, row)) << row;
        EXPECT_FALSE(editor.model.character_dots.lit(2, row)) << row;
    }
    editor.udc_code = 0x41;
    map_save(editor);
    EXPECT_EQ(editor.image[70], 0x7F);
    EXPECT_EQ(editor.image[71], 0x00);
}

TEST_F(MapSlotTest, CodeTextIsUpperCaseHexWithoutLeadingZero) {
    const std::vector<std::pair<std::uint8_t, std::string>> cases = {
        {0x41, "41"}, {0x7E, "7E"}, {0xA0, "A0"}, {0x05, "5"}, {0x10, "10"}, {0x00, ""}};
    for (const auto& [code, text] : cases) {
        editor.image[69] = code;
        editor.model.character_code = "zz";
        map_reset(editor);
        EXPECT_EQ(editor.model.character_code, text) << int(code);
    }
}

TEST_F(MapSlotTest, CodeZeroShowsAnEmptyBoxButStillTheDots) {
    editor.image[69] = 0;
    editor.image[74] = 0x41; // right column, rows 0 and 6
    map_reset(editor);
    EXPECT_EQ(editor.model.character_code, "");
    EXPECT_TRUE(editor.model.character_dots.lit(5, 0));
    EXPECT_TRUE(editor.model.character_dots.lit(5, 6));
    EXPECT_FALSE(editor.model.character_dots.lit(5, 3));
}

TEST_F(MapSlotTest, ResetReplacesTheWholeGridAndTouchesNothingElse) {
    draw({"XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX"});
    editor.model.character_caption = "label";
    editor.udc_code = 0x33;
    editor.image[69] = 0x41;
    editor.image[70] = 0x01;
    const SettingsImage before = editor.image;
    map_reset(editor);
    DotGrid expected;
    expected.set(1, 0, true);
    EXPECT_EQ(editor.model.character_dots, expected);
    EXPECT_EQ(editor.image, before);
    EXPECT_EQ(editor.model.character_caption, "label");
    EXPECT_EQ(editor.udc_code, 0x33);
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
}

TEST_F(MapSlotTest, Character9StaysWithin117To122) {
    for (int p = 1; p <= image_size; ++p)
        editor.image[p] = 0xEE;
    show_character(9);
    editor.udc_code = 0x7E;
    draw({"XXXXX", ".....", ".....", ".....", ".....", ".....", "....."});
    map_save(editor);
    EXPECT_EQ(slot_bytes(117), (Bytes{0x7E, 0x01, 0x01, 0x01, 0x01, 0x01}));
    EXPECT_EQ(editor.image[116], 0xEE);
    for (int p = 123; p <= 126; ++p)
        EXPECT_EQ(editor.image[p], 0xEE) << p;

    editor.image[123] = 0x7F; // past the table: must not show as a column
    map_reset(editor);
    EXPECT_EQ(editor.model.character_code, "7E");
    for (int column = 1; column <= 5; ++column)
        EXPECT_TRUE(editor.model.character_dots.lit(column, 0)) << column;
    EXPECT_FALSE(editor.model.character_dots.lit(5, 1));
}
