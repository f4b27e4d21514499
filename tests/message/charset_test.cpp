#include "message/charset.h"

#include "glyphs/code_page_glyphs.h"

#include <set>

#include <gtest/gtest.h>

using namespace pds;

namespace {

const CodePageCharacters& page_named(std::string_view name) {
    const auto* table = glyph_table_of_entry("(" + std::string(name) + ")");
    if (!table)
        throw std::runtime_error("no code page " + std::string(name));
    return table->characters;
}

} // namespace

TEST(Charset, EveryNonZeroCodeHasACellTextOfItsOwnInEveryPageAndComesBack) {
    for (const auto& table : glyph_tables()) {
        std::set<std::string> seen;
        for (int code = 1; code <= 255; ++code) {
            const auto text = cell_text_of_code(table.characters, static_cast<std::uint8_t>(code));
            ASSERT_EQ(split_characters(text).size(), 1u) << table.code_page << " " << code;
            EXPECT_EQ(code_of_cell_text(table.characters, text), code)
                << table.code_page << " " << code;
            // A stand-in exactly where the page has no character.
            EXPECT_EQ(code_of_stand_in(text).has_value(), table.characters[code] == 0)
                << table.code_page << " " << code;
            seen.insert(text);
        }
        EXPECT_EQ(seen.size(), 255u) << table.code_page;
    }
}

// The same characters stand at other codes, or nowhere, in the display's code pages.
TEST(Charset, CharactersTakeTheirCodeInTheirOwnPage) {
    const char* characters[] = {"\u00E9", "\u00FC", "\u00A3", "\u20AC", "\u042F",
                                "\u03A9", "\u05D0", "\u0105", "\u0151", "\uFF86"};
    struct Row {
        const char* page;
        int codes[10]; // -1: the page lacks it
    };
    const Row rows[] = {
        //             é     ü     £     €     Я     Ω     א     ą     ő     ﾆ
        {"CP-437", {0x82, 0x81, 0x9C, -1, -1, 0xEA, -1, -1, -1, -1}},
        {"CP-1252", {0xE9, 0xFC, 0xA3, 0x80, -1, -1, -1, -1, -1, -1}},
        {"CP-852", {0x82, 0x81, -1, -1, -1, -1, -1, 0xA5, 0x8B, -1}},
        {"CP-1257", {0xE9, 0xFC, 0xA3, 0x80, -1, -1, -1, 0xE0, -1, -1}},
        {"CP-863", {0x82, 0x81, 0x9C, -1, -1, 0xEA, -1, -1, -1, -1}},
        {"CP-1253", {-1, -1, 0xA3, 0x80, -1, 0xD9, -1, -1, -1, -1}},
        {"CP-1255", {-1, -1, 0xA3, 0x80, -1, -1, 0xE0, -1, -1, -1}},
        {"CP-865", {0x82, 0x81, 0x9C, -1, -1, 0xEA, -1, -1, -1, -1}},
        {"CP-866", {-1, -1, -1, -1, 0x9F, -1, -1, -1, -1, -1}},
        {"CP-858", {0x82, 0x81, 0x9C, 0xD5, -1, -1, -1, -1, -1, -1}},
        {"Katakana", {-1, -1, -1, -1, -1, -1, -1, -1, -1, 0xC6}},
    };
    for (const auto& row : rows) {
        const auto& page = page_named(row.page);
        for (int i = 0; i < 10; ++i) {
            const auto code = code_of_cell_text(page, characters[i]);
            if (row.codes[i] < 0) {
                EXPECT_FALSE(code) << row.page << " " << characters[i];
                continue;
            }
            EXPECT_EQ(code, row.codes[i]) << row.page << " " << characters[i];
            EXPECT_EQ(cell_text_of_code(page, static_cast<std::uint8_t>(row.codes[i])),
                      characters[i])
                << row.page;
        }
    }
}

TEST(Charset, AsciiIsTheSameInEveryPage) {
    for (const auto& table : glyph_tables())
        for (int code = 0x20; code < 0x7F; ++code)
            EXPECT_EQ(cell_text_of_code(table.characters, static_cast<std::uint8_t>(code)),
                      std::string(1, static_cast<char>(code)))
                << table.code_page;
}

TEST(Charset, CodesWithoutACharacterHaveStandIns) {
    const auto& cp437 = page_named("CP-437");
    EXPECT_EQ(cell_text_of_code(cp437, 0), "");
    EXPECT_EQ(cell_text_of_code(cp437, 0x01), "\x01");
    EXPECT_EQ(cell_text_of_code(cp437, 0x7F), "\x7F");
    const auto& cp1252 = page_named("CP-1252");
    EXPECT_EQ(cell_text_of_code(cp1252, 0x81), "\u0081"); // unassigned in Windows-1252
    const auto& katakana = page_named("Katakana");
    EXPECT_EQ(cell_text_of_code(katakana, 0xE0), "\uF7E0");
    EXPECT_EQ(code_of_stand_in("\uF7E0"), 0xE0);
    EXPECT_EQ(code_of_stand_in("A"), std::nullopt);
    EXPECT_EQ(code_of_stand_in(""), std::nullopt);
    // A stand-in where the page has a character is no code of that page.
    EXPECT_EQ(code_of_cell_text(cp437, "\u0081"), std::nullopt);
    EXPECT_EQ(code_of_cell_text(cp437, ""), 0);
    EXPECT_EQ(code_of_cell_text(cp437, "\u4E2D"), std::nullopt);
    EXPECT_EQ(code_of_cell_text(cp437, std::string(1, '\0')), std::nullopt);
}

TEST(Charset, SplitCountsCharactersNotBytes) {
    const auto parts = split_characters("A\u00E9\u20AC");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1], "\u00E9");
    EXPECT_EQ(split_characters("\xFF"
                               "A")
                  .size(),
              2u); // a stray byte is a character of its own
}
