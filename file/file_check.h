// What makes a file a settings file the window's Load takes: shared by Load and the tools, so
// a file one of them refuses is refused by all.
#pragma once

#include "settings/settings_image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace pds {

struct FileProblem {
    std::string field;  // the image field at fault; empty when the file as a whole is
    std::string reason; // e.g. "12 names none of the 10 entries of its list"
};

// A list code that names no entry of its list, first in position order.
std::optional<FileProblem> list_code_problem(const ImageBytes& image);

// The image held by the first 126 bytes of a file's contents, or why Load refuses the file:
// fewer than 126 bytes, or a list code that names no entry. Bytes past the 126th do not count.
std::variant<ImageBytes, FileProblem> check_settings_file(std::span<const std::uint8_t> contents);

} // namespace pds
