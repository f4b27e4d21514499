#include "inspect/describe.h"

#include "glyphs/code_page_glyphs.h"
#include "settings/option_lists.h"

#include "support/sample_images.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace pds;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

namespace {

TEST(ImageFieldsTest, EveryPositionBelongsToExactlyOneField) {
    std::vector<int> owners(image_size + 1, 0);
    std::set<std::string_view> names;
    for (const auto& field : image_fields) {
        names.insert(field.name);
        for (int p = field.first; p < field.first + field.length; ++p)
            ++owners.at(p);
        EXPECT_EQ(field.kind == FieldKind::List, field.list != nullptr) << field.name;
    }
    for (int p = 1; p <= image_size; ++p)
        EXPECT_EQ(owners[p], 1) << "position " << p;
    EXPECT_EQ(names.size(), image_fields.size()) << "names are unique";
}

TEST(EscapedTextTest, PrintableAsTextOthersAsHexAndBack) {
    const struct {
        Bytes bytes;
        std::string text;
    } cases[] = {
        {{}, ""},
        {{'H', 'i', ' ', '~'}, "Hi ~"},
        {{'"'}, "\""},
        {{'\\'}, "\\x5C"}, // a literal backslash would be read as the start of an escape
        {{0x00, 0x1F, 0x7F, 0x80, 0xD5, 0xFF}, "\\x00\\x1F\\x7F\\x80\\xD5\\xFF"},
        {{'a', 0x0A, 'b'}, "a\\x0Ab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escaped_text(c.bytes), c.text);
        EXPECT_EQ(unescaped_text(c.text), c.bytes) << c.text;
    }
    EXPECT_EQ(unescaped_text("\\xd5\\x5c"), (Bytes{0xD5, 0x5C})) << "lower-case digits";
}

TEST(EscapedTextTest, MalformedTextGivesNothing) {
    for (const std::string text :
         {"\\", "ab\\x4", "\\xG1", "\\y41", "\\X41", "tab\there", "caf\xc3\xa9", "\x7f"})
        EXPECT_FALSE(unescaped_text(text)) << text;
}

TEST(EscapedControlsTest, CharactersAsTheyAreControlsAndStrayBytesAsHex) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"C:\\Shop\\shop.vfd", "C:\\Shop\\shop.vfd"},
        {"\xD0\x9C\xD0\xB0\xD0\xB3 \xE5\xBA\x97 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\xD0\x9C\xD0\xB0\xD0\xB3 \xE5\xBA\x97 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {std::string("a\nb\rc\x1B[2Jd\x7F") + std::string(1, '\0'),
         "a\\x0Ab\\x0Dc\\x1B[2Jd\\x7F\\x00"},
        {"\xC2\x9B"
         "1m \xC2\xA0",
         "\\xC2\\x9B"
         "1m \xC2\xA0"}, // C1 CSI escaped, no-break space kept
        {"\xFF\xC0\xAF \xE2\x82 \xED\xA0\x80 \xF4\x90\x80\x80",
         "\\xFF\\xC0\\xAF \\xE2\\x82 \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escaped_controls(c.text), c.shown) << escaped_text(c.text);
}

TEST(LineTextTest, LeavesOffOnlyTheEmptyCellsAtTheEnd) {
    EXPECT_EQ(line_text(Bytes{'A', 0, 'B', 0, 0}), "A\\x00B");
    EXPECT_EQ(line_text(Bytes{0, 0, 0}), "");
    EXPECT_EQ(line_text(Bytes{0, 0, 'C'}), "\\x00\\x00C");
}

TEST(LineTextTest, InTheCodePageEachCodeIsItsCharacterAndTheRestHex) {
    const auto& cp866 = characters_of_code_page(30);
    EXPECT_EQ(line_text(Bytes{0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2, '!', 0, 0}, cp866),
              "\u041F\u0440\u0438\u0432\u0435\u0442!");
    EXPECT_EQ(line_text(Bytes{'\\', 0, 0x07, 0x7F, 'x'}, cp866), "\\x5C\\x00\\x07\\x7Fx");
    EXPECT_EQ(line_text(Bytes{0x9F}, characters_of_code_page(0)), "\u0192");  // CP-437
    EXPECT_EQ(line_text(Bytes{0x9F}, characters_of_code_page(200)), "\\x9F"); // no such page

    const auto codes = line_codes_of_text("\u042F\\x00\u20ACa\u20BD", cp866);
    ASSERT_TRUE(codes);
    EXPECT_EQ(codes->codes, (Bytes{0x9F, 0x00, 0, 'a', 0}));
    EXPECT_EQ(codes->missing,
              (std::vector<std::pair<int, std::string>>{{3, "\u20AC"}, {5, "\u20BD"}}));
    for (const std::string text : {"\\", "ab\\x4", "\\xG1", "tab\there", "\uF7E0",
                                   "a\xFF"
                                   "b"})
        EXPECT_FALSE(line_codes_of_text(text, cp866)) << text;
}

// What show and export print reads back to the same bytes, in every code page of the list.
TEST(LineTextTest, EveryByteOfEveryPageComesBack) {
    for (int page = 0; page < static_cast<int>(char_entries.size()); ++page) {
        const auto& characters = characters_of_code_page(static_cast<std::uint8_t>(page));
        Bytes all(255);
        for (int code = 1; code <= 255; ++code)
            all[code - 1] = static_cast<std::uint8_t>(code);
        all.push_back(0); // and a 0 inside the line
        all.push_back('A');
        const auto text = line_text(all, characters);
        const auto back = line_codes_of_text(text, characters);
        ASSERT_TRUE(back) << page;
        EXPECT_EQ(back->codes, all) << page;
        EXPECT_TRUE(back->missing.empty()) << page;
    }
}

TEST(DotRowsTest, BitRIsRowRFromTheTopAndBitSevenIsNoDot) {
    // The letter H: full outer columns, the bar in row 3.
    EXPECT_EQ(column_rows(Bytes{0x7F, 0x08, 0x08, 0x08, 0x7F}),
              (std::array<std::string, 7>{"#...#", "#...#", "#...#", "#####", "#...#", "#...#",
                                          "#...#"}));
    EXPECT_EQ(column_rows(Bytes{0x01, 0x00, 0x00, 0x00, 0x40}),
              (std::array<std::string, 7>{"#....", ".....", ".....", ".....", ".....", ".....",
                                          "....#"}));
    EXPECT_EQ(column_rows(Bytes{0xFF, 0x80, 0, 0, 0}), column_rows(Bytes{0x7F, 0x00, 0, 0, 0}));
}

TEST(DescribeImageTest, FactoryImage) {
    Lines expected = {
        "display_baud: 0 \"9600,n,8,1 (Default)\"",
        "code_page: 0 \"US English (CP-437)  (Default)\"",
        "command_set: 1 \"EPSON (Default)\"",
        "passthru_mode: 0 \"None     (Default)\"",
        "welcome_line1: \"*VFD DISPLAY ORBIT *\"",
        "welcome_line2: \"**HAVE A NICE DAY AND THANK YOU**\" and 7 empty cells",
    };
    for (int n = 1; n <= 9; ++n)
        expected.push_back("udc_" + std::to_string(n) + ": empty");
    EXPECT_EQ(describe_image(samples::factory_image()), expected);
}

TEST(DescribeImageTest, OddBytesAreShownNotHidden) {
    const Lines expected = {
        "display_baud: 1 \"19200,n,8,1\"",
        "code_page: 35 \"850+Euro Sign at 0xD5 (CP-858)\"",
        "command_set: 9 \"LogicControl\"",
        "passthru_mode: 2 \"without ESC/POS command\"",
        // In the file's code page, CP-858, 0xD5 is the euro sign.
        "welcome_line1: \"A\\x5CB\"C\\x00\u20AC\\x7FPLAY ORBIT \\x1B\"",
        "welcome_line2: \"**HAVE A NICE DAY AND THANK YOU**\" and 7 empty cells",
        "udc_1: empty",
        "udc_2: empty",
        "udc_3: code 0x48 \"H\"",
        "  #...#",
        "  #...#",
        "  #...#",
        "  #####",
        "  #...#",
        "  #...#",
        "  #...#",
        "udc_4: code 0x05",
        "  #...#",
        "  #....",
        "  #....",
        "  #....",
        "  #....",
        "  #....",
        "  #...#",
        "  column 1 is 0xFF (bit 7 set)",
        "  column 2 is 0x80 (bit 7 set)",
        "udc_5: empty",
        "udc_6: empty",
        "udc_7: no code",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  ..#..",
        "udc_8: empty",
        "udc_9: code 0xFF",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "  .....",
        "reserved_1: 0x5A",
        "reserved_67: 0x80",
        "reserved_tail: 00 00 00 01",
    };
    EXPECT_EQ(describe_image(samples::odd_image()), expected);
}

TEST(DescribeImageTest, ListCodeOutsideItsListAndEmptyLine) {
    ImageBytes image{};
    at_position(image, position::command_set) = 12;
    const Lines lines = describe_image(image);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "command_set: 12 (names no entry)");
    EXPECT_EQ(lines[4], "welcome_line1: all 20 cells empty");
}

TEST(DescribeDifferencesTest, SameBytesNoLines) {
    for (const auto& sample : samples::sample_images())
        EXPECT_TRUE(describe_differences(sample.image, sample.image).empty()) << sample.name;
}

TEST(DescribeDifferencesTest, EachChangedFieldIsNamedOnceAndAlone) {
    // One byte changed in the last position of each field in turn: the only line names it.
    for (const auto& field : image_fields) {
        const ImageBytes a = samples::odd_image();
        ImageBytes b = a;
        at_position(b, field.first + field.length - 1) ^= 0x01;
        const Lines lines = describe_differences(a, b);
        ASSERT_EQ(lines.size(), 1u) << field.name;
        EXPECT_EQ(lines[0].rfind(std::string(field.name) + ": ", 0), 0u) << lines[0];
    }
}

TEST(DescribeDifferencesTest, ValuesOnBothSides) {
    const ImageBytes a = samples::factory_image();
    ImageBytes b = a;
    at_position(b, position::command_set) = 7;
    const std::uint8_t h_glyph[] = {0x48, 0x7F, 0x08, 0x08, 0x08, 0x7F};
    std::copy(std::begin(h_glyph), std::end(h_glyph), &at_position(b, 81));
    at_position(b, position::welcome_line1 + 19) = 0;
    at_position(b, position::reserved_tail + 3) = 0x01;
    EXPECT_EQ(describe_differences(a, b),
              (Lines{
                  "command_set: 1 \"EPSON (Default)\" -> 7 \"CD5220\"",
                  "welcome_line1: \"*VFD DISPLAY ORBIT *\" -> \"*VFD DISPLAY ORBIT \" and 1 "
                  "empty cell",
                  "udc_3: empty -> code 0x48 \"H\", dots #...#/#...#/#...#/#####/#...#/#...#/#...#",
                  "reserved_tail: 00 00 00 00 -> 00 00 00 01",
              }));
    EXPECT_EQ(describe_differences(samples::odd_image(), samples::factory_image())[6],
              "udc_4: code 0x05, dots #...#/#..../#..../#..../#..../#..../#...#, column 1 is "
              "0xFF (bit 7 set), column 2 is 0x80 (bit 7 set) -> empty");
}

} // namespace
