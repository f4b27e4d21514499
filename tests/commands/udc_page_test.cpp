#include "commands/udc_page.h"

#include "support/fake_services.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pds;

namespace {

// The character page as start-up leaves it.
struct UdcEditorTest : ::testing::Test, fakes::EditorFixture {
    UdcEditorTest() { editor.model.character_caption = udc_first_label; }

    std::vector<std::uint8_t> slot_bytes(int number) const {
        std::vector<std::uint8_t> out;
        for (int p = udc_slot_start(number); p < udc_slot_start(number) + 6; ++p)
            out.push_back(editor.image[p]);
        return out;
    }
    const std::vector<fakes::Box>& boxes() const { return fake.boxes.shown; }
};

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST_F(UdcEditorTest, ClickTogglesOneDotOnly) {
    editor.model.character_code = "41";
    toggle_dot(editor, 3, 6);
    DotGrid expected;
    expected.set(3, 6, true);
    EXPECT_EQ(editor.model.character_dots, expected);
    toggle_dot(editor, 3, 6);
    EXPECT_EQ(editor.model.character_dots, DotGrid{});
    EXPECT_EQ(editor.model.character_code, "41");
    EXPECT_EQ(editor.image, SettingsImage{});
    EXPECT_EQ(editor.model.character_caption, udc_first_label);
}

TEST_F(UdcEditorTest, EachColumnTogglesItsOwnDots) {
    for (int column = 1; column <= 5; ++column) {
        editor.model.character_dots = DotGrid{};
        toggle_dot(editor, column, column); // row = column, to tell rows apart too
        DotGrid expected;
        expected.set(column, column, true);
        EXPECT_EQ(editor.model.character_dots, expected) << column;
    }
}

TEST_F(UdcEditorTest, ClearUnlightsTheGridButKeepsTheStoredSlot) {
    editor.image[69] = 0x41;
    editor.image[70] = 0x7F;
    map_reset(editor);
    clear_character(editor);
    EXPECT_EQ(editor.model.character_dots, DotGrid{});
    EXPECT_EQ(editor.model.character_code, "41");
    EXPECT_EQ(slot_bytes(1), (Bytes{0x41, 0x7F, 0, 0, 0, 0}));

    next_character(editor); // stepping away stores the empty pattern
    EXPECT_EQ(slot_bytes(1), (Bytes{0x41, 0, 0, 0, 0, 0}));
}

TEST_F(UdcEditorTest, ParseAcceptsOnlyHexCodesFrom20To7E) {
    struct Case {
        std::string text;
        int code;            // expected udc_code when accepted
        const char* message; // expected message when refused
    };
    const std::vector<Case> cases = {
        {"41", 0x41, nullptr},
        {"7e", 0x7E, nullptr},
        {"20", 0x20, nullptr},
        {"7F", 0, udc_range_error},
        {"1F", 0, udc_range_error},
        {"A", 0, udc_range_error}, // one digit is the low half: 0x0A
        {"G", 0, udc_hex_error},
        {"G4", 0, udc_hex_error},
        {"4G", 0, udc_hex_error},
        {"GG", 0, udc_hex_error}, // first character's message only
        {" 4", 0, udc_hex_error},
        {"4 ", 0, udc_hex_error},
        {"\xC3\xA9", 0, udc_hex_error}, // one non-ASCII character
        {"", 0, udc_hex_error},
    };
    for (const auto& c : cases) {
        fake.boxes.shown.clear();
        editor.udc_code = 0x55;
        editor.model.character_code = c.text;
        const bool accepted = parse_udc_code(editor);
        EXPECT_EQ(accepted, c.message == nullptr) << c.text;
        if (accepted) {
            EXPECT_EQ(editor.udc_code, c.code) << c.text;
            EXPECT_TRUE(boxes().empty()) << c.text;
            EXPECT_EQ(editor.model.character_code, c.text) << c.text;
        } else {
            EXPECT_EQ(editor.udc_code, 0x55) << c.text;
            EXPECT_EQ(boxes(), (std::vector<fakes::Box>{{c.message, "", false}})) << c.text;
            EXPECT_EQ(editor.model.character_code, "") << c.text;
        }
    }
}

TEST_F(UdcEditorTest, CodeBoxIsEmptiedOnlyAfterTheMessage) {
    editor.model.character_code = "7F";
    std::string text_while_shown;
    fake.boxes.on_show = [&] { text_while_shown = editor.model.character_code; };
    parse_udc_code(editor);
    EXPECT_EQ(text_while_shown, "7F");
    EXPECT_EQ(editor.model.character_code, "");
}

TEST_F(UdcEditorTest, NextStoresTheDrawingAndShowsTheNextCharacter) {
    editor.image[75] = 0x42; // character 2 already holds a code and a dot
    editor.image[76] = 0x01;
    editor.model.character_code = "41";
    toggle_dot(editor, 1, 0);
    next_character(editor);

    EXPECT_EQ(slot_bytes(1), (Bytes{0x41, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(editor.udc_number, 2);
    EXPECT_EQ(editor.udc_start, 75);
    EXPECT_EQ(editor.model.character_caption, "User Defined Character 2");
    EXPECT_EQ(editor.model.character_code, "42");
    DotGrid expected;
    expected.set(1, 0, true);
    EXPECT_EQ(editor.model.character_dots, expected);

    editor.model.character_code = "43";
    previous_character(editor);
    EXPECT_EQ(slot_bytes(2), (Bytes{0x43, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(editor.model.character_caption, "User Defined Character 1"); // one blank after a step
    EXPECT_EQ(editor.model.character_code, "41");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(UdcEditorTest, EmptyCodeStepsWithoutStoring) {
    editor.image[69] = 0x41;
    editor.image[70] = 0x01;
    toggle_dot(editor, 5, 3); // drawn but never stored
    next_character(editor);
    EXPECT_EQ(editor.udc_number, 2);
    EXPECT_EQ(slot_bytes(1), (Bytes{0x41, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(editor.model.character_dots, DotGrid{}); // character 2 is blank
    EXPECT_TRUE(boxes().empty());
}

TEST_F(UdcEditorTest, RefusedCodeAbandonsTheStep) {
    editor.model.character_code = "G4";
    toggle_dot(editor, 2, 2);
    const DotGrid drawn = editor.model.character_dots;
    next_character(editor);
    EXPECT_EQ(fake.boxes.texts(), std::vector<std::string>{udc_hex_error});
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(editor.model.character_caption, udc_first_label);
    EXPECT_EQ(editor.model.character_dots, drawn);
    EXPECT_EQ(editor.image, SettingsImage{});
    EXPECT_EQ(editor.model.character_code, "");

    next_character(editor); // the box is empty now: steps without storing
    EXPECT_EQ(editor.udc_number, 2);
    EXPECT_EQ(editor.image, SettingsImage{});
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(UdcEditorTest, LimitsAreIgnoredSilentlyEvenWithAnInvalidCode) {
    editor.model.character_code = "ZZ";
    previous_character(editor);
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.model.character_code, "ZZ");

    editor.model.character_code.clear();
    for (int i = 0; i < 8; ++i)
        next_character(editor);
    ASSERT_EQ(editor.udc_number, 9);
    editor.model.character_code = "7F";
    toggle_dot(editor, 4, 4);
    const DotGrid drawn = editor.model.character_dots;
    next_character(editor);
    EXPECT_EQ(editor.udc_number, 9);
    EXPECT_EQ(editor.udc_start, 117);
    EXPECT_EQ(editor.model.character_code, "7F");
    EXPECT_EQ(editor.model.character_dots, drawn);
    EXPECT_EQ(editor.model.character_caption, "User Defined Character 9");
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(editor.image, SettingsImage{});
}

TEST_F(UdcEditorTest, SevenForwardOneBack) {
    for (int i = 0; i < 7; ++i)
        next_character(editor);
    previous_character(editor);
    EXPECT_EQ(editor.udc_number, 7);
    EXPECT_EQ(editor.udc_start, 105);
    EXPECT_EQ(editor.model.character_caption, "User Defined Character 7");
}

TEST_F(UdcEditorTest, TwoCharactersMayShareACode) {
    editor.model.character_code = "41";
    next_character(editor);
    editor.model.character_code = "41";
    toggle_dot(editor, 1, 1);
    next_character(editor);
    EXPECT_EQ(slot_bytes(1), (Bytes{0x41, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slot_bytes(2), (Bytes{0x41, 0x02, 0, 0, 0, 0}));
    EXPECT_TRUE(boxes().empty());
}
