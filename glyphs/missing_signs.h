// Characters the code page lacks, put into the image as user-defined characters: each is drawn
// in 5 x 7, stored in a free slot under a code the welcome lines do not use for a character of
// their own, and that code goes into the cells that want the character.
#pragma once

#include "settings/settings_image.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pds {

// A cell that wants a character its code page lacks: line 1 or 2, cell 1..20 or 1..40.
struct MissingCharacter {
    int line;
    int cell;
    std::string character;
    bool operator==(const MissingCharacter&) const = default;
};

// The codes a sign may take, those a shop needs least first: the marks that national variants
// of the code pages redraw anyway (~ ` ^ | { } \), then a few more ASCII signs. All are
// printable in every code page and lie in the user-defined range 0x20..0x7E.
inline constexpr std::array<std::uint8_t, 14> sign_codes = {'~', '`', '^', '|', '{', '}', '\\',
                                                            '_', '[', ']', '<', '>', '@', '#'};

// One character and the user-defined character that shows it.
struct PlacedSign {
    std::string character;
    int number;        // user-defined character 1..9
    std::uint8_t code; // the code the cells now hold
    bool reused;       // a slot already held this drawing under this code
    bool operator==(const PlacedSign&) const = default;
};

struct SignsOutcome {
    std::vector<PlacedSign> placed; // one per character, in the order first wanted
    std::string refusal;            // why nothing was changed; empty on success
};

// Places every character of `wanted`, or none: on a refusal the image is left as it was.
// A character already drawn in a slot under a code takes that code again.
SignsOutcome add_missing_signs(ImageBytes& image, const std::vector<MissingCharacter>& wanted);

// "€ is user-defined character 3, under code 0x7E ~"
std::string placed_sign_text(const PlacedSign& sign);

} // namespace pds
