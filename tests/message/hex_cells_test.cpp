#include "message/hex_cells.h"

#include <gtest/gtest.h>

using namespace pds;

TEST(HexDigitOrZero, DigitsLettersAndEverythingElse) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0}, {"7", 7}, {"9", 9}, {"A", 10}, {"a", 10}, {"c", 12}, {"F", 15}, {"f", 15},
        {"G", 0}, {"g", 0}, {"z", 0}, {" ", 0},  {"", 0},   {"/", 0},  {":", 0},  {"\xC3\xA9", 0},
    };
    for (auto [text, value] : cases)
        EXPECT_EQ(hex_digit_or_zero(text), value) << '"' << text << '"';
}

TEST(HexPairValue, FirstDigitIsTheHighHalf) {
    struct Case {
        const char* first;
        const char* second;
        int value;
    };
    const Case cases[] = {
        {"4", "1", 0x41}, {"f", "F", 255},  {"A", "", 0xA0}, {"", "", 0},
        {"Z", "9", 9},    {"9", "Z", 0x90}, {"", "7", 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hex_pair_value(c.first, c.second), c.value) << c.first << "," << c.second;
}

TEST(HexCellText, AlwaysTwoUpperCaseDigits) {
    EXPECT_EQ(hex_cell_text(0), "00");
    EXPECT_EQ(hex_cell_text(5), "05");
    EXPECT_EQ(hex_cell_text(15), "0F");
    EXPECT_EQ(hex_cell_text(16), "10");
    EXPECT_EQ(hex_cell_text(171), "AB");
    EXPECT_EQ(hex_cell_text(255), "FF");
}

TEST(HexCellText, EveryByteComesBackThroughItsDigits) {
    for (int b = 0; b <= 255; ++b) {
        const auto text = hex_cell_text(static_cast<std::uint8_t>(b));
        EXPECT_EQ(hex_pair_value(text.substr(0, 1), text.substr(1, 1)), b);
    }
}
