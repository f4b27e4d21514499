// Settings images that a valid file can hold, from the factory one to every odd byte the
// format allows, shared by the tests that must carry a configuration through unchanged.
#pragma once

#include "settings/settings_image.h"

#include <cstring>
#include <string>
#include <vector>

namespace pds::samples {

inline void put_text(ImageBytes& image, int position, const char* text) {
    std::memcpy(&at_position(image, position), text, std::strlen(text));
}

// What Save writes right after start-up.
inline ImageBytes factory_image() {
    ImageBytes image{};
    at_position(image, position::command_set) = 1;
    put_text(image, position::welcome_line1, "*VFD DISPLAY ORBIT *");
    put_text(image, position::welcome_line2, "**HAVE A NICE DAY AND THANK YOU**");
    return image;
}

// Everything the editor never writes but a file or a display may carry: reserved bytes, a 0
// inside a line, a backslash, bytes past 0x7E, codes outside 0x20..0x7E, column bytes with
// bit 7 set, dots under a slot without a code.
inline ImageBytes odd_image() {
    ImageBytes image = factory_image();
    at_position(image, position::reserved_1) = 0x5A;
    at_position(image, position::reserved_67) = 0x80;
    at_position(image, position::display_baud) = 1;
    at_position(image, position::code_page) = 35;
    at_position(image, position::command_set) = 9;
    at_position(image, position::passthru_mode) = 2;
    put_text(image, position::welcome_line1, "A\\B\"C");
    at_position(image, position::welcome_line1 + 5) = 0x00;
    at_position(image, position::welcome_line1 + 6) = 0xD5;
    at_position(image, position::welcome_line1 + 7) = 0x7F;
    at_position(image, position::welcome_line1 + 19) = 0x1B; // the last cell
    const std::uint8_t h_glyph[] = {0x48, 0x7F, 0x08, 0x08, 0x08, 0x7F};
    std::memcpy(&at_position(image, 81), h_glyph, sizeof h_glyph);
    const std::uint8_t stray[] = {0x05, 0xFF, 0x80, 0x00, 0x00, 0x41};
    std::memcpy(&at_position(image, 87), stray, sizeof stray);
    const std::uint8_t uncoded[] = {0x00, 0x00, 0x00, 0x40, 0x00, 0x00};
    std::memcpy(&at_position(image, 105), uncoded, sizeof uncoded);
    at_position(image, 117) = 0xFF; // a code and no dots
    at_position(image, position::reserved_tail + 3) = 0x01;
    return image;
}

// Every byte 0xFF except the list codes, which name their last entries.
inline ImageBytes saturated_image() {
    ImageBytes image;
    image.fill(0xFF);
    at_position(image, position::display_baud) = 1;
    at_position(image, position::code_page) = 35;
    at_position(image, position::command_set) = 9;
    at_position(image, position::passthru_mode) = 2;
    return image;
}

// Byte at position p is p, with the list codes in range.
inline ImageBytes counting_image() {
    ImageBytes image;
    for (int p = 1; p <= image_size; ++p)
        at_position(image, p) = static_cast<std::uint8_t>(p);
    at_position(image, position::display_baud) = 0;
    at_position(image, position::code_page) = 4;
    at_position(image, position::command_set) = 6;
    at_position(image, position::passthru_mode) = 1;
    return image;
}

struct Sample {
    std::string name;
    ImageBytes image;
};

inline std::vector<Sample> sample_images() {
    return {{"all zero", ImageBytes{}},
            {"factory", factory_image()},
            {"odd", odd_image()},
            {"saturated", saturated_image()},
            {"counting", counting_image()}};
}

} // namespace pds::samples
