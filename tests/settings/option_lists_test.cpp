#include "settings/option_lists.h"

#include <gtest/gtest.h>

using namespace pds;

TEST(OptionLists, StartUpSelectionsShowTheDefaultEntries) {
    EditorModel model;
    fill_option_lists(model);
    EXPECT_EQ(model.Char.text(), "US English (CP-437)  (Default)");
    EXPECT_EQ(model.Command.text(), "EPSON (Default)");
    EXPECT_EQ(model.Command.index, 1);
    EXPECT_EQ(model.BaudRate.text(), "9600,n,8,1 (Default)");
    EXPECT_EQ(model.Passthru.text(), "None     (Default)");
    EXPECT_EQ(model.Comm.text(), "Com 1");
    EXPECT_EQ(model.Baud.text(), "9600,n,8,1");
}

TEST(OptionLists, EntriesStandInTheirCodeOrder) {
    EditorModel model;
    fill_option_lists(model);
    struct Case {
        const ListBox& list;
        int size;
        int index;
        const char* text;
    };
    const Case cases[] = {
        {model.Char, 36, 0, "US English (CP-437)  (Default)"},
        {model.Char, 36, 13, "Fr Canadian (CP-863)"},
        {model.Char, 36, 22, "Katakana (Katakana)"},
        {model.Char, 36, 35, "850+Euro Sign at 0xD5 (CP-858)"},
        {model.Command, 10, 0, "ORBIT"},
        {model.Command, 10, 9, "LogicControl"},
        {model.BaudRate, 2, 1, "19200,n,8,1"},
        {model.Passthru, 3, 2, "without ESC/POS command"},
        {model.Comm, 8, 7, "Com 8"},
        {model.Baud, 2, 1, "19200,n,8,1"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.list.size(), c.size) << c.text;
        EXPECT_EQ(c.list.entries[c.index], c.text);
    }
}

TEST(OptionLists, ByteNamesAnEntryOnlyBelowTheListSize) {
    EditorModel model;
    fill_option_lists(model);
    EXPECT_EQ(entry_for_byte(model.Char, 35), 35);
    EXPECT_EQ(entry_for_byte(model.Char, 36), std::nullopt);
    EXPECT_EQ(entry_for_byte(model.Command, 10), std::nullopt);
    EXPECT_EQ(entry_for_byte(model.BaudRate, 2), std::nullopt);
    EXPECT_EQ(entry_for_byte(model.Passthru, 3), std::nullopt);
    EXPECT_EQ(entry_for_byte(model.Passthru, 255), std::nullopt);
}

TEST(ComboBox, TypedTextSelectsOnlyAnEntrySpelledExactly) {
    EditorModel model;
    fill_option_lists(model);
    model.Comm.type("Com 3");
    EXPECT_EQ(model.Comm.index, 2);
    model.Comm.type("/dev/ttyUSB0");
    EXPECT_EQ(model.Comm.index, -1);
    EXPECT_EQ(model.Comm.text(), "/dev/ttyUSB0");
    model.Comm.select(7);
    EXPECT_EQ(model.Comm.text(), "Com 8");
}
