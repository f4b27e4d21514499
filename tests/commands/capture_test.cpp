#include "commands/capture.h"

#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

struct CaptureTest : ::testing::Test, fakes::EditorFixture {
    CaptureTest() { fill_option_lists(editor.model); }
    void type_line(MessageLine& line, std::string_view text) {
        for (int k = 1; k <= line.cells; ++k)
            line.chars[k] = k <= static_cast<int>(text.size()) ? std::string(1, text[k - 1]) : "";
    }
};

} // namespace

TEST_F(CaptureTest, ListsGoToTheirPositions) {
    editor.model.code_page.select(35);
    editor.model.command_set.select(0);
    editor.model.display_baud.select(1);
    editor.model.passthru_mode.select(2);
    capture_settings(editor);
    EXPECT_EQ(editor.image[position::code_page], 35);
    EXPECT_EQ(editor.image[position::command_set], 0);
    EXPECT_EQ(editor.image[position::display_baud], 1);
    EXPECT_EQ(editor.image[position::passthru_mode], 2);
}

TEST_F(CaptureTest, LinesArePackedFromTheirHexViewAndLeftThere) {
    type_line(editor.model.line1, "*VFD DISPLAY ORBIT *");
    type_line(editor.model.line2, "**HAVE A NICE DAY AND THANK YOU**");
    capture_settings(editor);

    const std::string line1 = "*VFD DISPLAY ORBIT *";
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(editor.image[6 + k], static_cast<std::uint8_t>(line1[k - 1])) << k;
    const std::string line2 = "**HAVE A NICE DAY AND THANK YOU**";
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(editor.image[26 + k], k <= 33 ? static_cast<std::uint8_t>(line2[k - 1]) : 0) << k;
    EXPECT_TRUE(editor.model.line1.hex_shown());
    EXPECT_TRUE(editor.model.line2.hex_shown());
}

TEST_F(CaptureTest, LineAlreadyInHexViewIsPackedAsItStands) {
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));
    editor.model.line1.hex[1] = "4";
    editor.model.line1.hex[2] = "1B";
    capture_settings(editor);
    EXPECT_EQ(editor.image[7], 0x41);
    EXPECT_EQ(editor.image[8], 0xB0);
    EXPECT_EQ(editor.model.line1.hex[1], "4"); // no conversion ran over the typed cells
}

TEST_F(CaptureTest, TouchesNoOtherPosition) {
    for (int p = 1; p <= image_size; ++p)
        editor.image[p] = 0xEE;
    capture_settings(editor);
    for (int p : {1, 3, 5, 67, 69, 100, 122, 123, 126})
        EXPECT_EQ(editor.image[p], 0xEE) << p;
}
