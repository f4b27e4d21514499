// The four image fields that hold a list code, with their lists and the names under which
// the command line and configuration files know them.
#pragma once

#include "settings/option_lists.h"
#include "settings/settings_image.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pds {

struct ImageListField {
    std::string_view name;
    int position;
    std::span<const std::string_view> entries;
};

// In position order, which is also the order in which a load sets the lists.
inline constexpr std::array<ImageListField, 4> image_list_fields{{
    {"display_baud", position::display_baud, baud_rate_entries},
    {"code_page", position::code_page, char_entries},
    {"command_set", position::command_set, command_entries},
    {"passthru_mode", position::passthru_mode, passthru_entries},
}};

// The entry a code names, if its list has one at that index.
std::optional<std::string_view> entry_text(const ImageListField& field, std::uint8_t code);

} // namespace pds
