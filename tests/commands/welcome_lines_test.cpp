#include "commands/welcome_lines.h"

#include "commands/capture.h"
#include "commands/preview.h"
#include "commands/startup.h"
#include "glyphs/code_page_glyphs.h"
#include "glyphs/dot_preview.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

constexpr int cp437 = 0;
constexpr int cp1252 = 1;
constexpr int cp866 = 30;

struct WelcomeLinesTest : ::testing::Test, fakes::EditorFixture {
    WelcomeLinesTest() { start_up(editor); }

    ImageBytes captured() {
        Editor copy = editor;
        capture_settings(copy);
        return copy.image.payload();
    }
    std::uint8_t line1_byte(int cell) {
        return at_position(captured(), position::welcome_line1 + cell - 1);
    }
    void type(int line, const std::string& text, int first_cell = 1) {
        int cell = first_cell;
        for (auto character : split_characters(text))
            type_character(editor, line, cell++, std::string(character));
    }
};

} // namespace

TEST_F(WelcomeLinesTest, TypedCharactersAreStoredAsTheirCodesInTheChosenPage) {
    choose_code_page(editor, cp437);
    type(1, "\u00E9A");
    EXPECT_EQ(line1_byte(1), 0x82);
    EXPECT_EQ(line1_byte(2), 'A');

    choose_code_page(editor, cp866);
    type(1, "\u041F\u0440\u0438\u0432\u0435\u0442");
    const ImageBytes image = captured();
    const std::uint8_t privet[] = {0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(at_position(image, position::welcome_line1 + i), privet[i]) << i;
    EXPECT_EQ(editor.model.character_note, "");
    // The preview draws them in the page's glyphs.
    const auto preview = render_preview(preview_image(editor));
    EXPECT_EQ(preview.rows[0][0].dots, glyph_dots(*glyph_table_of_code_page(cp866), 0x8F));
}

TEST_F(WelcomeLinesTest, SwitchingThePageKeepsTheBytesAndRedrawsTheCells) {
    choose_code_page(editor, cp866);
    type(1, "\u042F");
    select_line_view(editor, 2, MessageView::Hex);
    editor.model.line2.hex[1] = "9F";
    const ImageBytes before = captured();
    ASSERT_EQ(at_position(before, position::welcome_line1), 0x9F);

    choose_code_page(editor, cp437);
    EXPECT_EQ(editor.model.line1.chars[1], "\u0192"); // ƒ: 0x9F in CP-437
    EXPECT_TRUE(editor.model.line2.hex_shown());
    choose_code_page(editor, cp1252);
    EXPECT_EQ(editor.model.line1.chars[1], "\u0178"); // Ÿ
    choose_code_page(editor, cp866);
    EXPECT_EQ(editor.model.line1.chars[1], "\u042F");
    ImageBytes after = captured();
    at_position(after, position::code_page) = at_position(before, position::code_page);
    EXPECT_EQ(after, before);
}

TEST_F(WelcomeLinesTest, ARefusedCharacterLeavesTheCellAndIsNamedInTheNote) {
    choose_code_page(editor, cp437);
    type(1, "AB");
    type_character(editor, 1, 2, "\u042F");
    EXPECT_EQ(editor.model.line1.chars[2], "B");
    EXPECT_EQ(line1_byte(2), 'B');
    EXPECT_EQ(editor.model.character_note,
              "\"\u042F\" is not in US English (CP-437): the cell keeps what it had. \"Add Missing "
              "Characters\" draws it.");
    type_character(editor, 1, 3, "\u20AC");
    EXPECT_EQ(editor.model.character_note,
              "\"\u042F\", \"\u20AC\" are not in US English (CP-437): the cells keep what they "
              "had. \"Add Missing Characters\" draws them.");

    // Typed over, the cell forgets it; a page that has the other puts it into its cell.
    type_character(editor, 1, 3, "C");
    choose_code_page(editor, cp866);
    EXPECT_EQ(editor.model.line1.chars[2], "\u042F");
    EXPECT_EQ(editor.model.line1.chars[3], "C");
    EXPECT_EQ(editor.model.character_note, "");
    EXPECT_TRUE(editor.missing.empty());
}

TEST_F(WelcomeLinesTest, AddMissingCharactersDrawsThemUnderCP437AndCP866) {
    struct Case {
        int page;
        std::vector<std::string> characters;
        std::string said;
    };
    const Case cases[] = {
        {cp437, {"\u20AC"}, "\u20AC is user-defined character 1, under code 0x7E ~"},
        {cp866,
         {"\u20BD", "\u20B4", "\u20AC"},
         "\u20BD is user-defined character 1, under code 0x7E ~; \u20B4 is user-defined "
         "character 2, under code 0x60 `; \u20AC is user-defined character 3, under code 0x5E ^"},
    };
    for (const auto& c : cases) {
        start_up(editor);
        choose_code_page(editor, c.page);
        for (int k = 1; k <= 20; ++k)
            type_character(editor, 1, k, "");
        type(1, "Price 10");
        for (std::size_t i = 0; i < c.characters.size(); ++i)
            type_character(editor, 1, 9 + static_cast<int>(i), c.characters[i]);
        add_missing_characters(editor);
        EXPECT_EQ(editor.model.character_note, c.said);
        EXPECT_TRUE(editor.missing.empty());
        EXPECT_TRUE(fake.boxes.shown.empty());
        const auto image = captured();
        const auto preview = render_preview(preview_image(editor));
        for (std::size_t i = 0; i < c.characters.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            const auto code = at_position(image, udc_slot_start(number));
            EXPECT_EQ(code, sign_codes[i]);
            EXPECT_EQ(line1_byte(9 + static_cast<int>(i)), code);
            const auto dots = sign_dots(code_point_of(c.characters[i]));
            EXPECT_EQ(
                dots_of_columns(
                    bytes_at(image, udc_slot_start(number) + 1, udc_columns).first<udc_columns>()),
                dots);
            EXPECT_EQ(preview.rows[0][8 + i].look, CellLook::UserDefined);
            EXPECT_EQ(preview.rows[0][8 + i].dots, dots);
        }
        EXPECT_EQ(at_position(image, position::welcome_line1), 'P');
        // The character page shows the first sign it now holds.
        EXPECT_EQ(editor.model.character_dots, sign_dots(code_point_of(c.characters[0])));
        EXPECT_EQ(editor.model.character_code, "7E");
    }
}

TEST_F(WelcomeLinesTest, AddMissingCharactersRefusesWithNoSlotFreeAndChangesNothing) {
    for (int number = 1; number <= udc_count; ++number)
        editor.image[udc_slot_start(number)] = static_cast<std::uint8_t>('0' + number);
    type_character(editor, 1, 1, "\u20AC");
    const Editor before = editor;
    add_missing_characters(editor);
    const std::string refusal = "Cannot add \u20AC: no user-defined character is free (each of "
                                "the nine has a code). Nothing was added.";
    EXPECT_EQ(fake.boxes.texts(), std::vector<std::string>{refusal});
    EXPECT_EQ(editor.model.character_note, refusal);
    EXPECT_EQ(editor.image, before.image);
    EXPECT_EQ(editor.model.line1, before.model.line1);
    EXPECT_EQ(editor.missing, before.missing);
}

TEST_F(WelcomeLinesTest, TheDrawingOnTheCharacterPageKeepsItsSlotAndCode) {
    editor.model.character_code = "7E"; // slot 1, being drawn, not yet stored
    type_character(editor, 1, 1, "\u20AC");
    add_missing_characters(editor);
    EXPECT_EQ(editor.model.character_note, "\u20AC is user-defined character 2, under code 0x60 `");
    EXPECT_EQ(editor.image[udc_slot_start(1)], 0);
    EXPECT_EQ(editor.model.character_code, "7E");
}
