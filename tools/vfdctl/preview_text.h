// The dot preview of a configuration's welcome lines as text for a terminal.
#pragma once

#include "settings/settings_image.h"

#include <string>
#include <vector>

namespace pds::cli {

enum class DotStyle {
    Braille, // 2 x 4 dots a character, so a row of 20 cells fits in 60 columns
    Ascii,   // a character a dot, '#' lit and '.' unlit
};

// The display's three rows of dots (line 1, then line 2 as two rows of 20), a blank line
// between them, then one line for each code drawn hatched because it has no glyph. A code page
// byte that names no entry gives one line that says so instead.
std::vector<std::string> preview_text(const ImageBytes& image, DotStyle style);

} // namespace pds::cli
