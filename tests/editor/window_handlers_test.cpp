#include "editor/window_handlers.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <string>

using namespace pds;

namespace {

struct WindowHandlersTest : ::testing::Test, fakes::EditorFixture {};

} // namespace

TEST_F(WindowHandlersTest, StartUpShowsTheFactoryStateOnTheFirstTabWithoutOpeningThePort) {
    editor.model.SSTab1 = 2;
    Form_Load(editor);
    const auto& m = editor.model;
    EXPECT_EQ(m.Char.text(), "US English (CP-437)  (Default)");
    EXPECT_EQ(m.Command.text(), "EPSON (Default)");
    EXPECT_EQ(m.BaudRate.text(), "9600,n,8,1 (Default)");
    EXPECT_EQ(m.Passthru.text(), "None     (Default)");
    EXPECT_EQ(m.Comm.text(), "Com 1");
    EXPECT_EQ(m.Baud.text(), "9600,n,8,1");
    EXPECT_TRUE(m.L1.ascii_shown());
    EXPECT_TRUE(m.L2.ascii_shown());
    EXPECT_EQ(m.L1.A[1], "*");
    EXPECT_EQ(m.L2.A[33], "*");
    EXPECT_EQ(m.L2.A[34], "");
    EXPECT_EQ(m.UDC_label, "User Defined Character  1");
    EXPECT_EQ(m.UDC_TEXT, "");
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(m.SSTab1, 0);
    EXPECT_EQ(fake.port.opens, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(WindowHandlersTest, ShutDownClosesOnlyAnOpenPortAndAsksNothing) {
    Form_Unload(editor);
    EXPECT_EQ(fake.port.closes, 0);

    ASSERT_FALSE(fake.port.open());
    Form_Unload(editor);
    EXPECT_FALSE(fake.port.is_open());
    EXPECT_EQ(fake.port.closes, 1);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(WindowHandlersTest, HelpHandsTheDocumentInTheGivenFolderToTheShell) {
    Help_Click(editor, "/home/op/pole display");
    Help_Click(editor, "/");
    const std::vector<std::string> expected{"/home/op/pole display/Vela Pole Display.pdf",
                                            "/Vela Pole Display.pdf"};
    EXPECT_EQ(fake.shell.opened, expected);
    EXPECT_TRUE(fake.boxes.shown.empty());
}
