#include "commands/startup.h"

#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <string>

using namespace pds;

namespace {

struct StartupTest : ::testing::Test, fakes::EditorFixture {};

} // namespace

TEST_F(StartupTest, StartUpShowsTheFactoryStateOnTheFirstTabWithoutOpeningThePort) {
    editor.model.shown_tab = 2;
    start_up(editor);
    const auto& m = editor.model;
    EXPECT_EQ(m.code_page.text(), "US English (CP-437)  (Default)");
    EXPECT_EQ(m.command_set.text(), "EPSON (Default)");
    EXPECT_EQ(m.display_baud.text(), "9600,n,8,1 (Default)");
    EXPECT_EQ(m.passthru_mode.text(), "None     (Default)");
    EXPECT_EQ(m.host_port.text(), "Com 1");
    EXPECT_EQ(m.host_line.text(), "9600,n,8,1");
    EXPECT_TRUE(m.line1.characters_shown());
    EXPECT_TRUE(m.line2.characters_shown());
    EXPECT_EQ(m.line1.chars[1], "*");
    EXPECT_EQ(m.line2.chars[33], "*");
    EXPECT_EQ(m.line2.chars[34], "");
    EXPECT_EQ(m.character_caption, "User Defined Character  1");
    EXPECT_EQ(m.character_code, "");
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(m.shown_tab, 0);
    EXPECT_EQ(fake.port.opens, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(StartupTest, ShutDownClosesOnlyAnOpenPortAndAsksNothing) {
    shut_down(editor);
    EXPECT_EQ(fake.port.closes, 0);

    ASSERT_FALSE(fake.port.open());
    shut_down(editor);
    EXPECT_FALSE(fake.port.is_open());
    EXPECT_EQ(fake.port.closes, 1);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(StartupTest, HelpHandsTheDocumentInTheGivenFolderToTheShell) {
    open_help(editor, "/home/op/pole display");
    open_help(editor, "/");
#ifdef _WIN32
    // Joined with Windows' own separator, which the desktop's file URLs take as well.
    const std::string separator = "\\";
#else
    const std::string separator = "/";
#endif
    const std::vector<std::string> expected{
        "/home/op/pole display" + separator + "Vela Pole Display.pdf", "/Vela Pole Display.pdf"};
    EXPECT_EQ(fake.shell.opened, expected);
    EXPECT_TRUE(fake.boxes.shown.empty());
}
