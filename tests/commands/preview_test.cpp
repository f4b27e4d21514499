#include "commands/preview.h"

#include "commands/capture.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string>

using namespace pds;

namespace {

struct PreviewImageTest : ::testing::Test, fakes::EditorFixture {
    PreviewImageTest() {
        fill_option_lists(editor.model);
        editor.model.code_page.select(30);
        editor.model.line1.chars[1] = "H";
        editor.model.line1.chars[2] = "i";
        editor.model.line2.chars[40] = "!";
        // The fourth slot holds a character the operator stepped away from earlier.
        editor.image[udc_slot_start(4)] = 0x7E;
        editor.image[udc_slot_start(4) + 1] = 0x1F;
    }

    // The drawing being made on the character page: an "L" shape for code 0x41 in slot 2.
    void draw_in_slot_two(const std::string& code_box) {
        editor.udc_number = 2;
        editor.udc_start = udc_slot_start(2);
        editor.udc_code = 0x30;
        editor.model.character_code = code_box;
        editor.model.character_dots = DotGrid{};
        for (int row = 0; row < 7; ++row)
            editor.model.character_dots.set(1, row, true);
        editor.model.character_dots.set(2, 6, true);
    }
};

} // namespace

TEST_F(PreviewImageTest, IsTheImageAWriteWouldSendAndLeavesTheEditorAsItWas) {
    select_view(editor.model.line2, MessageView::Hex, chosen_characters(editor.model));
    editor.model.line2.hex[3] = "4"; // half a byte: packing must not rewrite the cell
    draw_in_slot_two("");
    const EditorModel model_before = editor.model;
    const SettingsImage image_before = editor.image;

    const ImageBytes preview = preview_image(editor);

    EXPECT_EQ(editor.model, model_before);
    EXPECT_EQ(editor.image, image_before);
    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_TRUE(fake.boxes.shown.empty());

    capture_settings(editor);
    EXPECT_EQ(preview, editor.image.payload());
    EXPECT_EQ(at_position(preview, position::code_page), 30);
    EXPECT_EQ(at_position(preview, position::welcome_line1), 'H');
    // "4" and the "21" of cell 40, joined and cut into pairs as a write packs them.
    EXPECT_EQ(at_position(preview, position::welcome_line2), 0x42);
    EXPECT_EQ(at_position(preview, position::welcome_line2 + 1), 0x10);
    EXPECT_EQ(at_position(preview, udc_slot_start(4)), 0x7E);
}

TEST_F(PreviewImageTest, TheDrawingWithAValidCodeGoesIntoItsSlotAtOnce) {
    draw_in_slot_two("41");
    const ImageBytes preview = preview_image(editor);

    const int start = udc_slot_start(2);
    EXPECT_EQ(at_position(preview, start), 0x41);
    EXPECT_EQ(at_position(preview, start + 1), 0x7F); // the left column, all seven dots
    EXPECT_EQ(at_position(preview, start + 2), 0x40); // the foot
    EXPECT_EQ(at_position(preview, start + 3), 0x00);
    EXPECT_EQ(at_position(preview, udc_slot_start(4)), 0x7E); // other slots as they are
    EXPECT_EQ(editor.image[start], 0);                        // the editor's image unchanged
    EXPECT_EQ(editor.udc_code, 0x30);
}

TEST_F(PreviewImageTest, ADrawingWithoutAValidCodeLeavesItsSlotAndShowsNoBox) {
    const ImageBytes untouched = [&] {
        Editor copy = editor;
        capture_settings(copy);
        return copy.image.payload();
    }();
    for (const char* code_box : {"", "1", "7F", "zz", "80"}) {
        draw_in_slot_two(code_box);
        EXPECT_EQ(preview_image(editor), untouched) << code_box;
        EXPECT_EQ(editor.model.character_code, code_box);
    }
    EXPECT_TRUE(fake.boxes.shown.empty());
}
