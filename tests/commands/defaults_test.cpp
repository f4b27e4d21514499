#include "commands/defaults.h"

#include "commands/capture.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <string>

using namespace pds;

namespace {

// An editor that has been worked on: every list, line and the character page moved away from
// the factory values, and every image byte set.
struct DefaultsTest : ::testing::Test, fakes::EditorFixture {
    DefaultsTest() {
        auto& m = editor.model;
        fill_option_lists(m);
        m.display_baud.select(1);
        m.code_page.select(20);
        m.command_set.select(7);
        m.passthru_mode.select(2);
        m.host_port.select(4);
        m.host_line.type("19200,n,8,1");
        for (int k = 1; k <= 20; ++k)
            m.line1.chars[k] = "x";
        for (int k = 1; k <= 40; ++k)
            m.line2.chars[k] = "y";
        for (int p = 1; p <= image_size; ++p)
            editor.image[p] = static_cast<std::uint8_t>(p);
        editor.file_name = "/home/op/shop.vfd";
        for (int i = 0; i < 4; ++i)
            next_character(editor);
        m.character_code = "41";
        toggle_dot(editor, 2, 3);
    }
};

} // namespace

TEST_F(DefaultsTest, ResetsListsLinesAndCharacterPage) {
    set_all_default(editor);
    const auto& m = editor.model;
    EXPECT_EQ(m.display_baud.index, 0);
    EXPECT_EQ(m.code_page.index, 0);
    EXPECT_EQ(m.command_set.index, 1);
    EXPECT_EQ(m.passthru_mode.index, 0);

    const std::string line1 = default_line1, line2 = default_line2;
    ASSERT_EQ(line1.size(), 20u);
    ASSERT_EQ(line2.size(), 33u);
    EXPECT_TRUE(m.line1.characters_shown());
    EXPECT_TRUE(m.line2.characters_shown());
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(m.line1.chars[k], line1.substr(k - 1, 1)) << k;
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(m.line2.chars[k], k <= 33 ? line2.substr(k - 1, 1) : "") << k;

    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(m.character_code, "");
    EXPECT_EQ(m.character_caption, "User Defined Character  1");
    EXPECT_EQ(m.character_dots, DotGrid{});
}

TEST_F(DefaultsTest, ClearsOnlyPositions69To72OfTheImage) {
    const SettingsImage before = editor.image;
    set_all_default(editor);
    for (int p = 1; p <= image_size; ++p) {
        const bool cleared = p >= 69 && p <= 72;
        EXPECT_EQ(editor.image[p], cleared ? 0 : before[p]) << p;
    }
}

TEST_F(DefaultsTest, LeavesTheHostSettingsAndFileNameAlone) {
    set_all_default(editor);
    EXPECT_EQ(editor.model.host_port.index, 4);
    EXPECT_EQ(editor.model.host_port.text(), "Com 5");
    EXPECT_EQ(editor.model.host_line.text(), "19200,n,8,1");
    EXPECT_EQ(editor.file_name, "/home/op/shop.vfd");
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(DefaultsTest, LineInHexViewIsSwitchedBeforeItIsOverwritten) {
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));
    editor.model.line1.hex[20] = "41";
    set_all_default(editor);
    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_EQ(editor.model.line1.chars[20], "*");
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(editor.model.line1.hex[k], "") << k; // no stale hex cell to resurface later
}

TEST_F(DefaultsTest, NextCaptureWritesTheFactoryValues) {
    set_all_default(editor);
    capture_settings(editor);
    EXPECT_EQ(editor.image[2], 0);
    EXPECT_EQ(editor.image[4], 0);
    EXPECT_EQ(editor.image[6], 1);
    EXPECT_EQ(editor.image[68], 0);
    const std::string line1 = default_line1, line2 = default_line2;
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(editor.image[6 + k], line1[k - 1]) << k;
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(editor.image[26 + k], k <= 33 ? line2[k - 1] : 0) << k;
}
