#include "glyphs/missing_signs.h"

#include "glyphs/code_page_glyphs.h"
#include "message/charset.h"
#include "udc/slot_codec.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace pds {

namespace {

bool line_uses(const ImageBytes& image, std::uint8_t code) {
    const auto lines = bytes_at(image, position::welcome_line1, 60);
    return std::find(lines.begin(), lines.end(), code) != lines.end();
}

bool slot_uses(const ImageBytes& image, std::uint8_t code) {
    for (int number = 1; number <= udc_count; ++number)
        if (at_position(image, udc_slot_start(number)) == code)
            return true;
    return false;
}

DotGrid slot_dots(const ImageBytes& image, int number) {
    return dots_of_columns(
        bytes_at(image, udc_slot_start(number) + 1, udc_columns).first<udc_columns>());
}

// The slot whose code and drawing already show the sign; the display looks up the first slot
// with a code, so only that one counts.
std::optional<int> slot_showing(const ImageBytes& image, const DotGrid& dots) {
    for (int number = 1; number <= udc_count; ++number) {
        const auto code = at_position(image, udc_slot_start(number));
        if (code == 0 || slot_dots(image, number) != dots)
            continue;
        for (int earlier = 1; earlier < number; ++earlier)
            if (at_position(image, udc_slot_start(earlier)) == code)
                return std::nullopt;
        return number;
    }
    return std::nullopt;
}

std::string list_of(const std::vector<std::string>& characters) {
    std::string text;
    for (std::size_t i = 0; i < characters.size(); ++i)
        text += (i ? ", " : "") + characters[i];
    return text;
}

} // namespace

SignsOutcome add_missing_signs(ImageBytes& image, const std::vector<MissingCharacter>& wanted) {
    SignsOutcome outcome;
    ImageBytes changed = image;
    std::vector<std::string> characters;
    for (const auto& cell : wanted)
        if (std::find(characters.begin(), characters.end(), cell.character) == characters.end())
            characters.push_back(cell.character);

    std::vector<std::string> undrawable;
    for (const auto& character : characters)
        if (!sign_dots(code_point_of(character)))
            undrawable.push_back(character);
    if (!undrawable.empty()) {
        outcome.refusal = "No 5 x 7 drawing for " + list_of(undrawable) +
                          ": nothing was added. Draw it on the User Defined Character tab.";
        return outcome;
    }

    std::vector<std::string> unplaced;
    for (const auto& character : characters) {
        const DotGrid dots = *sign_dots(code_point_of(character));
        if (const auto number = slot_showing(changed, dots)) {
            outcome.placed.push_back(
                {character, *number, at_position(changed, udc_slot_start(*number)), true});
            continue;
        }
        int free_slot = 0;
        for (int number = 1; number <= udc_count && !free_slot; ++number)
            if (at_position(changed, udc_slot_start(number)) == 0)
                free_slot = number;
        const auto code = std::find_if(sign_codes.begin(), sign_codes.end(), [&](std::uint8_t c) {
            return !line_uses(changed, c) && !slot_uses(changed, c);
        });
        if (!free_slot || code == sign_codes.end()) {
            unplaced.push_back(character);
            if (!free_slot)
                outcome.refusal = "no user-defined character is free (each of the nine has a code)";
            else
                outcome.refusal = "the welcome lines or the user-defined characters already use "
                                  "every code a sign may take (~ ` ^ | { } \\ _ [ ] < > @ #)";
            continue;
        }
        const int start = udc_slot_start(free_slot);
        at_position(changed, start) = *code;
        const auto columns = columns_of_dots(dots);
        std::copy(columns.begin(), columns.end(),
                  bytes_at(changed, start + 1, udc_columns).begin());
        outcome.placed.push_back({character, free_slot, *code, false});
    }
    if (!unplaced.empty()) {
        outcome.refusal =
            "Cannot add " + list_of(unplaced) + ": " + outcome.refusal + ". Nothing was added.";
        outcome.placed.clear();
        return outcome;
    }

    for (const auto& cell : wanted) {
        const auto sign =
            std::find_if(outcome.placed.begin(), outcome.placed.end(),
                         [&](const PlacedSign& s) { return s.character == cell.character; });
        const int first = cell.line == 1 ? position::welcome_line1 : position::welcome_line2;
        at_position(changed, first + cell.cell - 1) = sign->code;
    }
    image = changed;
    return outcome;
}

std::string placed_sign_text(const PlacedSign& sign) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", sign.code);
    return sign.character + (sign.reused ? " is already" : " is") + " user-defined character " +
           std::to_string(sign.number) + ", under code " + code + " " +
           std::string(1, static_cast<char>(sign.code));
}

} // namespace pds
