#include "commands/test_panel.h"

#include "commands/startup.h"
#include "commands/welcome_lines.h"
#include "settings/option_lists.h"
#include "display_sets/command_sets.h"
#include "support/fake_display.h"
#include "support/fake_services.h"
#include "support/sample_images.h"

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

namespace {

using Bytes = std::vector<std::uint8_t>;

// The test tab against a display on the port Comm names that answers the read with its
// configuration; `sent_after_read` is what went out after the last read request.
struct TestPanelActionTest : TestPanelTest {
    fakes::ScriptedDisplay display{fake.port};
    ImageBytes configuration = samples::factory_image();

    TestPanelActionTest() {
        editor.model.host_port.type("/dev/ttyUSB0");
        fake.port.on_call = [this](const std::string& call) {
            if (call == "open")
                display.reply = fakes::ScriptedDisplay::reply_of(configuration);
        };
        show_tab(editor, test_tab);
    }
    void TearDown() override { EXPECT_FALSE(fake.port.is_open()) << "port left open"; }

    void set_display(int command_set, int code_page) {
        at_position(configuration, position::command_set) = static_cast<std::uint8_t>(command_set);
        at_position(configuration, position::code_page) = static_cast<std::uint8_t>(code_page);
    }
    Bytes sent_after_read() const {
        const Bytes& sent = fake.port.sent;
        for (std::size_t i = sent.size(); i >= 2; --i)
            if (sent[i - 2] == 0x1B && sent[i - 1] == 0xEE)
                return {sent.begin() + static_cast<std::ptrdiff_t>(i), sent.end()};
        return sent;
    }
};

Bytes text_bytes(const std::string& s, std::size_t width) {
    Bytes bytes(s.begin(), s.end());
    bytes.resize(width, ' ');
    return bytes;
}

} // namespace

TEST_F(TestPanelActionTest, SendSpeaksTheReportedSetAndSaysSo) {
    set_display(1, 0); // EPSON, CP-437
    type_test_line(editor, 1, "HELLO");
    type_test_line(editor, 2, "PRICE 1.99");
    const EditorModel before = editor.model;
    ASSERT_FALSE(editor.model.test.brightness); // no set known yet

    send_test_lines(editor);

    Bytes expected = {0x1F, 0x24, 0x01, 0x01};
    const Bytes line1 = text_bytes("HELLO", 20), line2 = text_bytes("PRICE 1.99", 20);
    expected.insert(expected.end(), line1.begin(), line1.end());
    for (const std::uint8_t b : {0x1F, 0x24, 0x01, 0x02})
        expected.push_back(b);
    expected.insert(expected.end(), line2.begin(), line2.end());
    EXPECT_EQ(sent_after_read(), expected);
    EXPECT_EQ(fake.port.choice.typed, "/dev/ttyUSB0");

    const auto& test = editor.model.test;
    EXPECT_EQ(test.outcome, "The display shows the two lines.");
    EXPECT_EQ(test.set_used, "EPSON (Default), as the display reports; US English (CP-437); 9600 bit/s");
    EXPECT_EQ(test.reported_set, 1);
    EXPECT_TRUE(test.brightness);
    // Only the test tab's own words changed: nothing of the configuration being edited.
    EditorModel rest = editor.model;
    rest.test = before.test;
    EXPECT_EQ(rest, before);
}

TEST_F(TestPanelActionTest, NoAnswerForgetsTheReportedSetAndDisablesBrightness) {
    set_display(1, 0);
    clear_test_display(editor);
    ASSERT_TRUE(editor.model.test.brightness);
    EXPECT_EQ(editor.model.test.outcome, "The display was cleared.");
    EXPECT_EQ(sent_after_read(), Bytes{0x0C});

    fake.port.on_call = {}; // the display is gone: the read goes unanswered
    display.reply.clear();
    send_test_lines(editor);
    const auto& test = editor.model.test;
    EXPECT_TRUE(test.outcome.starts_with("No display answered")) << test.outcome;
    EXPECT_EQ(test.set_used, "");
    EXPECT_EQ(test.reported_set, -1);
    EXPECT_FALSE(test.brightness);
}

TEST_F(TestPanelActionTest, AChosenSetSkipsTheReadAndUsesTheCodePageCharNames) {
    set_display(0, 0); // the configuration says otherwise: it is not read
    choose_code_page(editor, cp866);
    const int cd5220 = 7;
    choose_test_set(editor, 1 + cd5220);
    EXPECT_TRUE(editor.model.test.brightness);
    choose_test_level(editor, 1); // level 2

    set_test_brightness(editor);

    EXPECT_EQ(display.read_requests, 0);
    EXPECT_EQ(editor.model.test.outcome, "Brightness set to level 2.");
    EXPECT_EQ(editor.model.test.set_used, "CD5220, chosen; Russian (CP-866); 9600 bit/s");
    // In CD5220 a brightness follows a clear (string mode would swallow it).
    EXPECT_EQ(fake.port.sent, (Bytes{0x0C, 0x1B, 0x2A, 0x02}));
}

TEST_F(TestPanelActionTest, ARefusalSendsNothingAndSaysWhy) {
    set_display(1, 0); // CP-437 has no Cyrillic
    type_test_line(editor, 1, "\u041F");
    send_test_lines(editor);
    EXPECT_EQ(sent_after_read(), Bytes{});
    const std::string& outcome = editor.model.test.outcome;
    EXPECT_TRUE(outcome.ends_with(" Nothing was sent.")) << outcome;
    EXPECT_NE(outcome.find("\u041F"), std::string::npos) << outcome;
}

TEST_F(TestPanelActionTest, BrightnessIsOfferedExactlyWhereTheSetHasIt) {
    int with = 0, without = 0;
    for (int set = 0; set < editor.model.command_set.size(); ++set) {
        SCOPED_TRACE(editor.model.command_set.entries[static_cast<std::size_t>(set)]);
        choose_test_set(editor, 1 + set);
        EXPECT_EQ(editor.model.test.brightness, has_brightness(set));
        (has_brightness(set) ? with : without)++;
    }
    EXPECT_GT(with, 0);
    EXPECT_GT(without, 0);
    // Back to the reported set, which is not known yet.
    choose_test_set(editor, 0);
    EXPECT_FALSE(editor.model.test.brightness);
}
