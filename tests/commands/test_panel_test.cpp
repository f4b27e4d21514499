#include "commands/test_panel.h"

#include "commands/startup.h"
#include "commands/welcome_lines.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

constexpr int cp437 = 0;
constexpr int cp866 = 30;

struct TestPanelTest : ::testing::Test, fakes::EditorFixture {
    TestPanelTest() { start_up(editor); }

    void type_welcome(int line, const std::string& text) {
        clear_line(editor, line);
        int cell = 1;
        for (auto character : split_characters(text))
            type_character(editor, line, cell++, std::string(character));
    }
};

} // namespace

TEST_F(TestPanelTest, TheTestTabTakesTheWelcomeLinesAsTheyAreWhenShown) {
    show_tab(editor, test_tab);
    EXPECT_EQ(editor.model.shown_tab, test_tab);
    // The defaults: line 2's 33 characters are cut to one display line.
    EXPECT_EQ(editor.model.test.line1, "*VFD DISPLAY ORBIT *");
    EXPECT_EQ(editor.model.test.line2, "**HAVE A NICE DAY AN");

    show_tab(editor, 1);
    type_welcome(1, "HELLO");
    type_welcome(2, "WORLD");
    show_tab(editor, test_tab);
    EXPECT_EQ(editor.model.test.line1, "HELLO");
    EXPECT_EQ(editor.model.test.line2, "WORLD");
}

TEST_F(TestPanelTest, TypedTestLinesStayOverTheWelcomeLines) {
    show_tab(editor, test_tab);
    type_test_line(editor, 2, "PRICE 1.99");
    show_tab(editor, 1);
    type_welcome(1, "OTHER");
    show_tab(editor, test_tab);
    EXPECT_EQ(editor.model.test.line1, "*VFD DISPLAY ORBIT *");
    EXPECT_EQ(editor.model.test.line2, "PRICE 1.99");
}

TEST_F(TestPanelTest, AWelcomeLineBecomesTextInTheChosenCodePage) {
    struct Case {
        const char* what;
        int code_page;
        std::vector<std::string> cells; // from cell 1; "" leaves a cell empty
        bool hex_view;
        std::string expected;
    };
    const Case cases[] = {
        {"an empty cell inside is a blank, trailing blanks go", cp437,
         {"A", "", "B", " ", ""}, false, "A B"},
        {"a line in the hex view is read through its codes", cp437, {"H", "I"}, true, "HI"},
        {"the code page's own letters", cp866, {"\u041F", "\u0440"}, false, "\u041F\u0440"},
        {"all empty", cp437, {}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        choose_code_page(editor, c.code_page);
        clear_line(editor, 1);
        for (std::size_t k = 0; k < c.cells.size(); ++k)
            if (!c.cells[k].empty())
                type_character(editor, 1, static_cast<int>(k) + 1, c.cells[k]);
        if (c.hex_view)
            select_line_view(editor, 1, MessageView::Hex);
        EXPECT_EQ(test_line_from_welcome(editor.model, 1), c.expected);
        select_line_view(editor, 1, MessageView::Characters);
    }
}

TEST_F(TestPanelTest, ACodeWithoutACharacterIsABlankInTheTestLine) {
    select_line_view(editor, 1, MessageView::Hex);
    auto& hex = editor.model.line1.hex;
    std::fill(hex.begin() + 1, hex.end(), "");
    hex[1] = "41";
    hex[2] = "1B"; // a control code: no character to type
    hex[3] = "42";
    select_line_view(editor, 1, MessageView::Characters);
    EXPECT_EQ(test_line_from_welcome(editor.model, 1), "A B");
}

TEST_F(TestPanelTest, ATypedLineIsCutToOneDisplayLineOfCharacters) {
    type_test_line(editor, 1, "\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9"
                              "\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9XY");
    EXPECT_EQ(split_characters(editor.model.test.line1).size(), std::size_t(test_line_width));
    EXPECT_EQ(editor.model.test.line1.find('X'), std::string::npos);
    EXPECT_TRUE(editor.model.test.lines_typed);
}

TEST_F(TestPanelTest, TheSetListOffersTheReportedSetThenEveryCommandEntry) {
    const auto& sets = editor.model.test.command_set;
    ASSERT_EQ(sets.size(), 1 + editor.model.command_set.size());
    EXPECT_EQ(sets.entries[0], as_the_display_reports);
    for (int i = 0; i < editor.model.command_set.size(); ++i)
        EXPECT_EQ(sets.entries[static_cast<std::size_t>(i) + 1],
                  editor.model.command_set.entries[static_cast<std::size_t>(i)]);
    EXPECT_EQ(sets.index, 0);

    choose_test_set(editor, 3);
    EXPECT_EQ(editor.model.test.command_set.index, 3);
    // An entry the list does not have changes nothing.
    choose_test_set(editor, sets.size());
    choose_test_set(editor, -1);
    EXPECT_EQ(editor.model.test.command_set.index, 3);
    // The set chosen for the test is not the configuration's.
    EXPECT_EQ(editor.model.command_set.index, default_command);
}
