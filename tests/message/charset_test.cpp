#include "message/charset.h"
#include <set>

#include <gtest/gtest.h>

using namespace pds;

TEST(Charset, EveryNonZeroCodeHasItsOwnCharacterAndComesBack) {
    std::set<std::string> seen;
    for (int code = 1; code <= 255; ++code) {
        const auto character = character_of_code(static_cast<std::uint8_t>(code));
        ASSERT_EQ(split_characters(character).size(), 1u) << code;
        EXPECT_EQ(code_of_character(character), code) << code;
        seen.insert(character);
    }
    EXPECT_EQ(seen.size(), 255u);
}

TEST(Charset, KnownCharacters) {
    EXPECT_EQ(character_of_code(0), "");
    EXPECT_EQ(character_of_code('A'), "A");
    EXPECT_EQ(character_of_code(0x80), "\u20AC");
    EXPECT_EQ(character_of_code(0xE9), "\u00E9");
    EXPECT_EQ(character_of_code(0x81), "\u0081"); // unassigned in Windows-1252
    EXPECT_EQ(code_of_character(""), 0);
    EXPECT_EQ(code_of_character("\u4E2D"), '?'); // not in the set
}

TEST(Charset, SplitCountsCharactersNotBytes) {
    const auto parts = split_characters("A\u00E9\u20AC");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1], "\u00E9");
    EXPECT_EQ(split_characters("\xFF" "A").size(), 2u); // a stray byte is a character of its own
}
