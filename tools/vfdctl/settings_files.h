// The settings files vfdctl reads and writes, and how it names them in messages.
#pragma once

#include "settings/settings_image.h"

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace pds::cli {

// The -o name of standard output.
inline constexpr const char* standard_output = "-";

// A file to write as messages name it.
std::string output_name(const std::string& path);

// A file as the window's Load takes it, or, when `strict` is off, any file of 126 bytes or
// more, so that show and diff can point at what makes a file unloadable. Else the message.
std::variant<ImageBytes, std::string> load_settings(const std::string& path, bool strict);

// Writes `image` to `path`, or to `out` for standard output; the message when that fails.
std::optional<std::string> save_settings(const std::string& path, const ImageBytes& image,
                                         std::ostream& out);

// The first two of `paths` that are one file, if any.
std::optional<std::pair<std::string, std::string>> same_file(const std::vector<std::string>& paths);

} // namespace pds::cli
