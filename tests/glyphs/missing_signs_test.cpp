#include "glyphs/missing_signs.h"

#include "glyphs/code_page_glyphs.h"
#include "glyphs/dot_preview.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <set>

using namespace pds;

namespace {

const char* const euro = "\u20AC";
const char* const ruble = "\u20BD";
const char* const hryvnia = "\u20B4";

ImageBytes image_with_line1(std::string_view text) {
    ImageBytes image{};
    for (std::size_t i = 0; i < text.size(); ++i)
        at_position(image, position::welcome_line1 + static_cast<int>(i)) =
            static_cast<std::uint8_t>(text[i]);
    return image;
}

DotGrid slot_dots(const ImageBytes& image, int number) {
    return dots_of_columns(
        bytes_at(image, udc_slot_start(number) + 1, udc_columns).first<udc_columns>());
}

} // namespace

TEST(SignDots, EverySignAShopAsksForCanBeDrawn) {
    const char32_t signs[] = {0x20AC, 0x20BD, 0x20B4, 0x20B9, 0x20BA, 0x20B8, 0x20BC, 0x20BE,
                              0x20AA, 0x20A9, 0x00A5, 0x00A3, 0x00A2, 0x20AB, 0x20B1};
    std::set<std::array<std::string, udc_rows>> drawings;
    for (char32_t sign : signs) {
        const auto dots = sign_dots(sign);
        ASSERT_TRUE(dots) << std::hex << static_cast<unsigned>(sign);
        EXPECT_NE(*dots, DotGrid{}) << std::hex << static_cast<unsigned>(sign);
        drawings.insert(dot_rows(*dots));
    }
    EXPECT_EQ(drawings.size(), std::size(signs)) << "two signs share a drawing";
    EXPECT_FALSE(sign_dots(0x4E2D)); // a character neither the font nor the script draws
    // The font's glyph where it has one: the Cyrillic Я as CP-866 draws it.
    EXPECT_EQ(sign_dots(0x042F), glyph_dots(*glyph_table_of_entry("(CP-866)"), 0x9F));
}

TEST(AddMissingSigns, PutsEachSignInAFreeSlotUnderAnUnusedCodeAndIntoItsCells) {
    auto image = image_with_line1("A  B");
    at_position(image, udc_slot_start(1)) = 'Z'; // taken
    const std::vector<MissingCharacter> wanted = {
        {1, 2, euro}, {2, 1, ruble}, {1, 3, euro}, {2, 40, hryvnia}};
    const auto outcome = add_missing_signs(image, wanted);
    ASSERT_EQ(outcome.refusal, "");
    const std::vector<PlacedSign> placed = {
        {euro, 2, '~', false}, {ruble, 3, '`', false}, {hryvnia, 4, '^', false}};
    EXPECT_EQ(outcome.placed, placed);
    EXPECT_EQ(placed_sign_text(outcome.placed[0]),
              "\u20AC is user-defined character 2, under code 0x7E ~");
    for (const auto& sign : placed) {
        EXPECT_EQ(at_position(image, udc_slot_start(sign.number)), sign.code);
        EXPECT_EQ(slot_dots(image, sign.number), sign_dots(code_point_of(sign.character)));
    }
    EXPECT_EQ(at_position(image, position::welcome_line1 + 1), '~');
    EXPECT_EQ(at_position(image, position::welcome_line1 + 2), '~');
    EXPECT_EQ(at_position(image, position::welcome_line1), 'A');
    EXPECT_EQ(at_position(image, position::welcome_line1 + 3), 'B');
    EXPECT_EQ(at_position(image, position::welcome_line2), '`');
    EXPECT_EQ(at_position(image, position::welcome_line2 + 39), '^');

    // The preview draws the signs from their slots.
    const auto preview = render_preview(image);
    EXPECT_EQ(preview.rows[0][1].look, CellLook::UserDefined);
    EXPECT_EQ(preview.rows[0][1].dots, sign_dots(0x20AC));
    EXPECT_EQ(preview.rows[1][0].dots, sign_dots(0x20BD));
    EXPECT_EQ(preview.rows[2][19].dots, sign_dots(0x20B4));

    // Asked again, a sign already drawn takes its code again and no new slot.
    const auto again = add_missing_signs(image, {{1, 10, euro}});
    ASSERT_EQ(again.refusal, "");
    EXPECT_EQ(again.placed, (std::vector<PlacedSign>{{euro, 2, '~', true}}));
    EXPECT_EQ(at_position(image, udc_slot_start(5)), 0);
    EXPECT_EQ(at_position(image, position::welcome_line1 + 9), '~');
}

TEST(AddMissingSigns, SkipsCodesTheLinesUseForTheirOwnCharacters) {
    auto image = image_with_line1("~ok `quoted`");
    const auto outcome = add_missing_signs(image, {{1, 20, euro}});
    ASSERT_EQ(outcome.refusal, "");
    EXPECT_EQ(outcome.placed[0].code, '^');
    EXPECT_EQ(at_position(image, position::welcome_line1), '~');
}

TEST(AddMissingSigns, RefusesAndChangesNothing) {
    struct Case {
        const char* what;
        ImageBytes image;
        std::vector<MissingCharacter> wanted;
        const char* refusal;
    };
    ImageBytes full{};
    for (int number = 1; number <= udc_count; ++number)
        at_position(full, udc_slot_start(number)) = static_cast<std::uint8_t>('0' + number);
    ImageBytes eight_full = full;
    at_position(eight_full, udc_slot_start(5)) = 0;
    const std::string every_code(sign_codes.begin(), sign_codes.end());
    const Case cases[] = {
        {"no slot free",
         full,
         {{1, 1, euro}},
         "Cannot add \u20AC: no user-defined character is free (each of the nine has a code). "
         "Nothing was added."},
        {"one slot for two signs",
         eight_full,
         {{1, 1, euro}, {1, 2, ruble}},
         "Cannot add \u20BD: no user-defined character is free (each of the nine has a code). "
         "Nothing was added."},
        {"every candidate code in use",
         image_with_line1(every_code),
         {{1, 20, euro}},
         "Cannot add \u20AC: the welcome lines or the user-defined characters already use every "
         "code a sign may take (~ ` ^ | { } \\ _ [ ] < > @ #). Nothing was added."},
        {"no drawing",
         ImageBytes{},
         {{1, 1, euro}, {1, 2, "\u4E2D"}},
         "No 5 x 7 drawing for \u4E2D: nothing was added. Draw it on the User Defined Character "
         "tab."},
    };
    for (const auto& c : cases) {
        auto image = c.image;
        const auto outcome = add_missing_signs(image, c.wanted);
        EXPECT_EQ(outcome.refusal, c.refusal) << c.what;
        EXPECT_TRUE(outcome.placed.empty()) << c.what;
        EXPECT_EQ(image, c.image) << c.what;
    }
}
