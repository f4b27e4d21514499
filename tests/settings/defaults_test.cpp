#include "settings/defaults.h"

#include "fakes/fake_platform.h"
#include "message/message_editor.h"
#include "settings/capture.h"
#include "settings/option_lists.h"
#include "udc/udc_editor.h"

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
        m.BaudRate.select(1);
        m.Char.select(20);
        m.Command.select(7);
        m.Passthru.select(2);
        m.Comm.select(4);
        m.Baud.type("19200,n,8,1");
        for (int k = 1; k <= 20; ++k)
            m.L1.A[k] = "x";
        for (int k = 1; k <= 40; ++k)
            m.L2.A[k] = "y";
        for (int p = 1; p <= image_size; ++p)
            editor.image[p] = static_cast<std::uint8_t>(p);
        editor.file_name = "/home/op/shop.vfd";
        for (int i = 0; i < 4; ++i)
            UDC_NEXT_Click(editor);
        m.UDC_TEXT = "41";
        map2_Click(editor, 3);
    }
};

} // namespace

TEST_F(DefaultsTest, ResetsListsLinesAndCharacterPage) {
    SetAllDefault_Click(editor);
    const auto& m = editor.model;
    EXPECT_EQ(m.BaudRate.index, 0);
    EXPECT_EQ(m.Char.index, 0);
    EXPECT_EQ(m.Command.index, 1);
    EXPECT_EQ(m.Passthru.index, 0);

    const std::string line1 = default_line1, line2 = default_line2;
    ASSERT_EQ(line1.size(), 20u);
    ASSERT_EQ(line2.size(), 33u);
    EXPECT_TRUE(m.L1.ascii_shown());
    EXPECT_TRUE(m.L2.ascii_shown());
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(m.L1.A[k], line1.substr(k - 1, 1)) << k;
    for (int k = 1; k <= 40; ++k)
        EXPECT_EQ(m.L2.A[k], k <= 33 ? line2.substr(k - 1, 1) : "") << k;

    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(m.UDC_TEXT, "");
    EXPECT_EQ(m.UDC_label, "User Defined Character  1");
    EXPECT_EQ(m.map, DotGrid{});
}

TEST_F(DefaultsTest, ClearsOnlyPositions69To72OfTheImage) {
    const SettingsImage before = editor.image;
    SetAllDefault_Click(editor);
    for (int p = 1; p <= image_size; ++p) {
        const bool cleared = p >= 69 && p <= 72;
        EXPECT_EQ(editor.image[p], cleared ? 0 : before[p]) << p;
    }
}

TEST_F(DefaultsTest, LeavesTheHostSettingsAndFileNameAlone) {
    SetAllDefault_Click(editor);
    EXPECT_EQ(editor.model.Comm.index, 4);
    EXPECT_EQ(editor.model.Comm.text(), "Com 5");
    EXPECT_EQ(editor.model.Baud.text(), "19200,n,8,1");
    EXPECT_EQ(editor.file_name, "/home/op/shop.vfd");
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(DefaultsTest, LineInHexViewIsSwitchedBeforeItIsOverwritten) {
    select_view(editor.model.L1, MessageView::Hex);
    editor.model.L1.H[20] = "41";
    SetAllDefault_Click(editor);
    EXPECT_TRUE(editor.model.L1.ascii_shown());
    EXPECT_EQ(editor.model.L1.A[20], "*");
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(editor.model.L1.H[k], "") << k; // no stale hex cell to resurface later
}

TEST_F(DefaultsTest, NextCaptureWritesTheFactoryValues) {
    SetAllDefault_Click(editor);
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
