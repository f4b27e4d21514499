#include "message/message_line.h"

#include "glyphs/code_page_glyphs.h"
#include "message/charset.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

// These cases were written for Windows-1252, where é is 0xE9 and 0x80 is €.
const CodePageCharacters& page = glyph_table_of_entry("(CP-1252)")->characters;

MessageLine line_with(std::initializer_list<const char*> characters, int cells = 20) {
    MessageLine line(cells);
    int k = 1;
    for (const char* c : characters)
        line.chars[k++] = c;
    return line;
}

void expect_view_invariants(const MessageLine& line) {
    const auto& hidden = line.characters_shown() ? line.hex : line.chars;
    for (int k = 1; k <= line.cells; ++k)
        EXPECT_TRUE(hidden[k].empty()) << "hidden cell " << k;
}

} // namespace

TEST(MessageView, HexViewShowsCodesAndBackKeepsEveryCharacter) {
    auto line = line_with({"A", "a", " ", "", "\u00E9"});
    select_view(line, MessageView::Hex, page);
    EXPECT_TRUE(line.hex_shown());
    EXPECT_EQ(line.hex[1], "41");
    EXPECT_EQ(line.hex[2], "61");
    EXPECT_EQ(line.hex[3], "20");
    EXPECT_EQ(line.hex[4], "");
    EXPECT_EQ(line.hex[5], "E9");
    expect_view_invariants(line);

    select_view(line, MessageView::Characters, page);
    EXPECT_EQ(line.chars[1], "A");
    EXPECT_EQ(line.chars[2], "a");
    EXPECT_EQ(line.chars[3], " ");
    EXPECT_EQ(line.chars[4], "");
    EXPECT_EQ(line.chars[5], "\u00E9");
    expect_view_invariants(line);
}

TEST(MessageView, SelectingTheShownViewConvertsNothing) {
    auto line = line_with({"H", "I"});
    select_view(line, MessageView::Characters, page);
    EXPECT_EQ(line.chars[1], "H");
    EXPECT_EQ(line.chars[2], "I");

    select_view(line, MessageView::Hex, page);
    line.hex[3] = "4"; // typed, not yet converted
    select_view(line, MessageView::Hex, page);
    EXPECT_EQ(line.hex[1], "48");
    EXPECT_EQ(line.hex[3], "4");
}

TEST(MessageView, HexCellsAreReadLeniently) {
    MessageLine line(20);
    select_view(line, MessageView::Hex, page);
    const std::pair<const char*, const char*> cases[] = {
        {"4", "@"}, {"G1", "\x01"}, {"00", ""}, {"", ""}, {"7e", "~"}, {"zz", ""}, {"80", "\u20AC"},
    };
    int k = 1;
    for (auto [hex, _] : cases)
        line.hex[k++] = hex;
    select_view(line, MessageView::Characters, page);
    k = 1;
    for (auto [hex, character] : cases)
        EXPECT_EQ(line.chars[k++], character) << hex;
    expect_view_invariants(line);
}

TEST(MessageView, ClearEmptiesOnlyTheShownView) {
    auto line = line_with({"A", "B"});
    select_view(line, MessageView::Hex, page);
    clear_message_line(line);
    EXPECT_TRUE(line.hex_shown());
    select_view(line, MessageView::Characters, page);
    for (int k = 1; k <= line.cells; ++k)
        EXPECT_EQ(line.chars[k], "");

    line.chars[1] = "X";
    clear_message_line(line);
    EXPECT_EQ(line.chars[1], "");
    EXPECT_TRUE(line.characters_shown());
}

TEST(PackMessageLine, JoinsCellsBeforePairingDigits) {
    auto line = line_with({"A", "", "B"});
    select_view(line, MessageView::Hex, page);
    auto bytes = pack_message_line(line);
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0x42);
    for (std::size_t i = 2; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], 0) << i;

    MessageLine typed(20);
    select_view(typed, MessageView::Hex, page);
    typed.hex[1] = "4";
    typed.hex[2] = "1B";
    typed.hex[3] = "C";
    bytes = pack_message_line(typed);
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0xBC);
    EXPECT_EQ(bytes[2], 0);
}

TEST(PackMessageLine, DefaultSecondLinePacksAsItsCodesThenZeros) {
    const std::string text = "**HAVE A NICE DAY AND THANK YOU**";
    MessageLine line(40);
    for (int k = 1; k <= 33; ++k)
        line.chars[k] = std::string(1, text[k - 1]);
    select_view(line, MessageView::Hex, page);
    const auto bytes = pack_message_line(line);
    ASSERT_EQ(bytes.size(), 40u);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(bytes[k], k < 33 ? static_cast<std::uint8_t>(text[k]) : 0) << k;
}

TEST(UnpackMessageLine, EndsInCharacterViewWhateverTheViewBefore) {
    for (auto before : {MessageView::Characters, MessageView::Hex}) {
        auto line = line_with({"Z", "Z", "Z"});
        select_view(line, before, page);
        std::vector<std::uint8_t> bytes(20, 0);
        bytes[0] = 0x41;
        bytes[2] = 0x42;
        unpack_message_line(line, bytes, page);
        EXPECT_TRUE(line.characters_shown());
        EXPECT_EQ(line.chars[1], "A");
        EXPECT_EQ(line.chars[2], "");
        EXPECT_EQ(line.chars[3], "B");
        EXPECT_EQ(line.chars[4], "");
        expect_view_invariants(line);

        // The zero moves to the end when the line is packed again.
        select_view(line, MessageView::Hex, page);
        const auto packed = pack_message_line(line);
        EXPECT_EQ(packed[0], 0x41);
        EXPECT_EQ(packed[1], 0x42);
        EXPECT_EQ(packed[2], 0x00);
    }
}

TEST(UnpackMessageLine, EveryNonZeroByteSurvivesUnpackThenPack) {
    for (int cells : {20, 40}) {
        for (int start = 1; start <= 255; start += cells) {
            std::vector<std::uint8_t> bytes(cells, 0);
            // Trailing zeros are allowed: the last line of the sweep ends early.
            for (int k = 0; k < cells && start + k <= 255; ++k)
                bytes[k] = static_cast<std::uint8_t>(start + k);
            MessageLine line(cells);
            unpack_message_line(line, bytes, page);
            select_view(line, MessageView::Hex, page);
            EXPECT_EQ(pack_message_line(line), bytes) << "from " << start;
        }
    }
}
