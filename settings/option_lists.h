// The fixed lists of choices. An entry's place in its list is its code in the image.
#pragma once

#include "editor/editor_model.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pds {

extern const std::array<std::string_view, 36> char_entries;
extern const std::array<std::string_view, 10> command_entries;
extern const std::array<std::string_view, 2> baud_rate_entries;
extern const std::array<std::string_view, 3> passthru_entries;
extern const std::array<std::string_view, 8> comm_entries;
extern const std::array<std::string_view, 2> baud_entries;

inline constexpr int default_command = 1; // "EPSON (Default)"

// Appends every entry to its list and sets the start-up selections.
void fill_option_lists(EditorModel& model);

// The image byte of a pick-only list: its selected index.
std::uint8_t list_byte(const ListBox& list);
// The entry an image byte names, if any.
std::optional<int> entry_for_byte(const ListBox& list, std::uint8_t byte);

} // namespace pds
