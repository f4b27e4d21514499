// The fixed lists of choices. An entry's place in its list is its code in the image.
#pragma once

#include <array>
#include <string_view>

namespace pds {

extern const std::array<std::string_view, 36> char_entries;
extern const std::array<std::string_view, 10> command_entries;
extern const std::array<std::string_view, 2> baud_rate_entries;
extern const std::array<std::string_view, 3> passthru_entries;
extern const std::array<std::string_view, 8> comm_entries;
extern const std::array<std::string_view, 2> baud_entries;

inline constexpr int default_command = 1; // "EPSON (Default)"

} // namespace pds
