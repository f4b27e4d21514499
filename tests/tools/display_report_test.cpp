#include "display_report.h"

#include <gtest/gtest.h>

#include <string>

namespace pds::display {
namespace {

ImageBytes::reference at(ImageBytes& image, int position) {
    return image[static_cast<std::size_t>(position - 1)];
}

TEST(DisplayReport, ShowsEntriesLinesAndCharacterDots) {
    ImageBytes image{};
    at(image, position::display_baud) = 1;
    at(image, position::code_page) = 35;
    at(image, position::command_set) = 12; // past the end of its list
    at(image, position::passthru_mode) = 2;
    const std::string hello = "HELLO";
    for (std::size_t i = 0; i < hello.size(); ++i)
        at(image, position::welcome_line1 + static_cast<int>(i)) =
            static_cast<std::uint8_t>(hello[i]);
    at(image, position::welcome_line2) = 'A';
    at(image, position::welcome_line2 + 2) = 0x07; // a gap, then a code with no glyph
    // Character 1: code 41, a left column lit from top to bottom, a single dot in row 0 right.
    at(image, position::udc_table) = 0x41;
    at(image, position::udc_table + 1) = 0x7F;
    at(image, position::udc_table + 5) = 0x01;
    at(image, position::udc_table + 6 * 8) = 0x7E; // character 9's code

    const std::string text = describe_configuration(image);
    for (const char* expected : {
             "Display speed:   19200,n,8,1\n",
             "Character table: 850+Euro Sign at 0xD5 (CP-858)\n",
             "Command set:     code 12, not in the list\n",
             "Pass-through:    without ESC/POS command\n",
             "Welcome line 1:  \"HELLO\"\n",
             "Welcome line 2:  \"A<00><07>\"\n",
             "  1: 41   2: 00 ",
             "  9: 7E \n",
             "  #...#   .....",
             "  #....   .....",
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
    // Seven rows of dots, after the header of codes.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6 + 1 + 1 + 7);
}

} // namespace
} // namespace pds::display
