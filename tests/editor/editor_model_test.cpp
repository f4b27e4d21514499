#include "editor/editor_model.h"

#include <gtest/gtest.h>

using namespace pds;

TEST(OptionLists, EachListHoldsItsEntriesInCodeOrder) {
    EditorModel model;
    fill_option_lists(model);
    struct Case {
        const ListBox& list;
        int size;
        int index;
        const char* text;
    };
    const Case cases[] = {
        {model.code_page, 36, 0, "US English (CP-437)  (Default)"},
        {model.code_page, 36, 13, "Fr Canadian (CP-863)"},
        {model.code_page, 36, 22, "Katakana (Katakana)"},
        {model.code_page, 36, 35, "850+Euro Sign at 0xD5 (CP-858)"},
        {model.command_set, 10, 0, "ORBIT"},
        {model.command_set, 10, 9, "LogicControl"},
        {model.display_baud, 2, 1, "19200,n,8,1"},
        {model.passthru_mode, 3, 2, "without ESC/POS command"},
        {model.host_port, 8, 7, "Com 8"},
        {model.host_line, 2, 1, "19200,n,8,1"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.list.size(), c.size) << c.text;
        EXPECT_EQ(c.list.entries[c.index], c.text);
    }
}

TEST(ComboBox, TypedTextSelectsOnlyAnEntrySpelledExactly) {
    EditorModel model;
    fill_option_lists(model);
    model.host_port.type("Com 3");
    EXPECT_EQ(model.host_port.index, 2);
    model.host_port.type("/dev/ttyUSB0");
    EXPECT_EQ(model.host_port.index, -1);
    EXPECT_EQ(model.host_port.text(), "/dev/ttyUSB0");
    model.host_port.select(7);
    EXPECT_EQ(model.host_port.text(), "Com 8");
}
